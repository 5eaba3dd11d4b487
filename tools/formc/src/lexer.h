// Tokens of the description text (the grammar is described in parser.h).
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "diagnostics.h"

namespace formc {

enum class TokenKind {
    Ident,     // Form1, TLabel, clWhite, 日本語 …
    Integer,   // 12, -12, 0xFF, 300:int32
    Float,     // 1.5, -2e3
    String,    // "…" (one literal; adjacent literals are joined by the parser)
    HexBlob,   // hex( 00 FF 10 )
    LBrace, RBrace, LParen, RParen, LBracket, RBracket, Less, Greater,
    Equals, Comma, Colon, Dot,
    End,
};

struct Token {
    TokenKind kind = TokenKind::End;
    SourceLoc loc;
    // Ident: its text. String: its contents as UTF-8, escapes resolved (a \xHH byte
    // is kept as that byte). Integer/Float: the literal as written.
    std::string text;
    // Ident and String: the CP932 bytes. HexBlob: the bytes.
    std::string bytes;
    // Set when `text` has a character CP932 cannot hold. Raised only if the bytes
    // are used: a file path, for instance, only needs `text`.
    std::optional<CompileError> encodingError;
    int64_t intValue = 0;
    int intWidth = 0;  // bytes forced by an :int8/:int16/:int32 suffix, 0 = smallest
    long double floatValue = 0;
};

// Splits UTF-8 source text into tokens, ending with one End token.
// Throws CompileError on malformed input.
std::vector<Token> tokenize(const std::string& source);

// "'{'", "identifier", "end of file" … for messages.
std::string describe(const Token& tok);

}  // namespace formc
