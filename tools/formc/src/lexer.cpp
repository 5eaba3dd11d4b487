#include "lexer.h"

#include <cmath>
#include <cstdlib>

#include "cp932.h"

namespace formc {

namespace {

constexpr char32_t kEof = 0xFFFFFFFF;

struct Char {
    char32_t cp;
    SourceLoc loc;
};

// Decodes and validates the whole source, giving every character its position.
std::vector<Char> decode(const std::string& src) {
    std::vector<Char> chars;
    chars.reserve(src.size() + 1);
    SourceLoc loc{1, 1};
    size_t i = 0;
    if (src.compare(0, 3, "\xEF\xBB\xBF") == 0) i = 3;  // byte order mark
    while (i < src.size()) {
        unsigned char b = static_cast<unsigned char>(src[i]);
        char32_t cp = 0;
        int extra = 0;
        char32_t min = 0;
        if (b < 0x80) {
            cp = b;
        } else if ((b & 0xE0) == 0xC0) {
            cp = b & 0x1F; extra = 1; min = 0x80;
        } else if ((b & 0xF0) == 0xE0) {
            cp = b & 0x0F; extra = 2; min = 0x800;
        } else if ((b & 0xF8) == 0xF0) {
            cp = b & 0x07; extra = 3; min = 0x10000;
        } else {
            throw CompileError(loc, "invalid UTF-8 byte in the source");
        }
        for (int k = 1; k <= extra; ++k) {
            if (i + k >= src.size() || (static_cast<unsigned char>(src[i + k]) & 0xC0) != 0x80)
                throw CompileError(loc, "invalid UTF-8 byte in the source");
            cp = (cp << 6) | (static_cast<unsigned char>(src[i + k]) & 0x3F);
        }
        if (cp < min || cp > 0x10FFFF || (cp >= 0xD800 && cp <= 0xDFFF))
            throw CompileError(loc, "invalid UTF-8 sequence in the source");
        chars.push_back({cp, loc});
        i += extra + 1;
        if (cp == '\n') {
            ++loc.line;
            loc.col = 1;
        } else {
            ++loc.col;
        }
    }
    chars.push_back({kEof, loc});
    return chars;
}

bool isUnicodeSpace(char32_t c) {
    return c == 0xA0 || c == 0x1680 || (c >= 0x2000 && c <= 0x200B) || c == 0x2028 ||
           c == 0x2029 || c == 0x202F || c == 0x205F || c == 0x3000 || c == 0xFEFF;
}

bool isIdentStart(char32_t c) {
    return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') || c == '_' ||
           (c >= 0x80 && c != kEof && !isUnicodeSpace(c));
}

bool isDigit(char32_t c) { return c >= '0' && c <= '9'; }
bool isIdentPart(char32_t c) { return isIdentStart(c) || isDigit(c); }
bool isBlank(char32_t c) { return c == ' ' || c == '\t' || c == '\r' || c == '\n'; }

int hexValue(char32_t c) {
    if (c >= '0' && c <= '9') return static_cast<int>(c - '0');
    if (c >= 'a' && c <= 'f') return static_cast<int>(c - 'a' + 10);
    if (c >= 'A' && c <= 'F') return static_cast<int>(c - 'A' + 10);
    return -1;
}

std::string shown(char32_t c) {
    if (c < 0x20 || c == 0x7F || isUnicodeSpace(c)) return codePointName(c);
    std::string s = "'";
    appendUtf8(c, s);
    return s + "'";
}

class Lexer {
public:
    explicit Lexer(const std::string& src) : chars_(decode(src)) {}

    std::vector<Token> run() {
        std::vector<Token> out;
        for (;;) {
            skipBlanksAndComments();
            Token t = next();
            bool end = t.kind == TokenKind::End;
            out.push_back(std::move(t));
            if (end) return out;
        }
    }

private:
    char32_t peek(size_t ahead = 0) const {
        size_t i = pos_ + ahead;
        return i < chars_.size() ? chars_[i].cp : kEof;
    }
    SourceLoc here() const { return chars_[pos_].loc; }
    char32_t take() { return chars_[pos_++].cp; }

    void skipBlanksAndComments() {
        for (;;) {
            if (isBlank(peek())) {
                ++pos_;
            } else if (peek() == '/' && peek(1) == '/') {
                while (peek() != '\n' && peek() != kEof) ++pos_;
            } else {
                return;
            }
        }
    }

    Token next() {
        Token t;
        t.loc = here();
        char32_t c = peek();
        if (c == kEof) return t;
        if (isIdentStart(c)) return identifier(t);
        if (isDigit(c) || ((c == '-' || c == '+') && isDigit(peek(1)))) return number(t);
        if (c == '"') return string(t);
        static const struct { char ch; TokenKind kind; } punct[] = {
            {'{', TokenKind::LBrace},   {'}', TokenKind::RBrace},   {'(', TokenKind::LParen},
            {')', TokenKind::RParen},   {'[', TokenKind::LBracket}, {']', TokenKind::RBracket},
            {'<', TokenKind::Less},     {'>', TokenKind::Greater},  {'=', TokenKind::Equals},
            {',', TokenKind::Comma},    {':', TokenKind::Colon},    {'.', TokenKind::Dot},
        };
        for (const auto& p : punct) {
            if (c == static_cast<char32_t>(p.ch)) {
                ++pos_;
                t.kind = p.kind;
                t.text = p.ch;
                return t;
            }
        }
        throw CompileError(t.loc, "unexpected character " + shown(c));
    }

    // Appends one source character to a token's text and CP932 bytes.
    void addChar(Token& t, char32_t c, SourceLoc at) {
        appendUtf8(c, t.text);
        if (t.encodingError) return;
        if (!encoder_.encode(c, t.bytes))
            t.encodingError = CompileError(at, "character " + codePointName(c) + " " + shown(c) +
                                                   " has no CP932 encoding");
    }

    Token identifier(Token& t) {
        t.kind = TokenKind::Ident;
        while (isIdentPart(peek())) {
            SourceLoc at = here();
            addChar(t, take(), at);
        }
        if (t.text == "hex") {
            size_t save = pos_;
            while (peek() == ' ' || peek() == '\t') ++pos_;
            if (peek() == '(') return hexBlob(t);
            pos_ = save;
        }
        return t;
    }

    // hex( 00 FF 10 ): pairs of hex digits; blanks, line breaks and // comments may
    // separate groups, and every group must have an even number of digits.
    Token hexBlob(Token& t) {
        t.kind = TokenKind::HexBlob;
        t.text = "hex(";
        t.bytes.clear();  // drop the name's own bytes: only the data remains
        ++pos_;  // '('
        for (;;) {
            skipBlanksAndComments();
            char32_t c = peek();
            if (c == ')') {
                ++pos_;
                return t;
            }
            if (c == kEof) throw CompileError(t.loc, "unterminated hex( … ): missing ')'");
            if (hexValue(c) < 0)
                throw CompileError(here(), "unexpected character " + shown(c) + " in hex( … )");
            SourceLoc groupLoc = here();
            std::string digits;
            while (hexValue(peek()) >= 0) digits += static_cast<char>(take());
            if (digits.size() % 2 != 0)
                throw CompileError(groupLoc, "odd number of hex digits in '" + digits + "'");
            for (size_t i = 0; i < digits.size(); i += 2)
                t.bytes += static_cast<char>(hexValue(digits[i]) * 16 + hexValue(digits[i + 1]));
        }
    }

    Token number(Token& t) {
        bool negative = false;
        if (peek() == '-' || peek() == '+') {
            negative = peek() == '-';
            t.text += static_cast<char>(take());
        }
        bool isHex = peek() == '0' && (peek(1) == 'x' || peek(1) == 'X');
        bool isFloat = false;
        uint64_t magnitude = 0;
        bool tooBig = false;
        auto accumulate = [&](unsigned digit, unsigned base) {
            magnitude = magnitude * base + digit;
            if (magnitude > 0xFFFFFFFFull) {
                tooBig = true;
                magnitude = 0xFFFFFFFFull + 1;
            }
        };
        if (isHex) {
            t.text += static_cast<char>(take());
            t.text += static_cast<char>(take());
            if (hexValue(peek()) < 0) throw CompileError(t.loc, "expected hex digits after '0x'");
            while (hexValue(peek()) >= 0) {
                int d = hexValue(peek());
                t.text += static_cast<char>(take());
                accumulate(static_cast<unsigned>(d), 16);
            }
        } else {
            while (isDigit(peek())) {
                accumulate(static_cast<unsigned>(peek() - '0'), 10);
                t.text += static_cast<char>(take());
            }
            if (peek() == '.') {
                if (!isDigit(peek(1))) throw CompileError(t.loc, "malformed number: digits must follow '.'");
                isFloat = true;
                t.text += static_cast<char>(take());
                while (isDigit(peek())) t.text += static_cast<char>(take());
            }
            if ((peek() == 'e' || peek() == 'E') &&
                (isDigit(peek(1)) || ((peek(1) == '-' || peek(1) == '+') && isDigit(peek(2))))) {
                isFloat = true;
                t.text += static_cast<char>(take());
                if (!isDigit(peek())) t.text += static_cast<char>(take());
                while (isDigit(peek())) t.text += static_cast<char>(take());
            }
        }
        int width = 0;
        if (peek() == ':' && isIdentStart(peek(1))) {
            SourceLoc suffixLoc = chars_[pos_ + 1].loc;
            ++pos_;
            std::string suffix;
            while (isIdentPart(peek())) appendUtf8(take(), suffix);
            if (suffix == "int8") width = 1;
            else if (suffix == "int16") width = 2;
            else if (suffix == "int32") width = 4;
            else throw CompileError(suffixLoc, "unknown width '" + suffix + "' (int8, int16 or int32)");
            if (isFloat) throw CompileError(suffixLoc, "a width suffix applies only to integers");
        }
        if (isIdentPart(peek()) || peek() == '.')
            throw CompileError(t.loc, "malformed number '" + t.text + shownTail() + "'");

        if (isFloat) {
            t.kind = TokenKind::Float;
            // strtold rounds correctly to the nearest long double; formc never calls
            // setlocale, so the decimal point is '.'.
            t.floatValue = std::strtold(t.text.c_str(), nullptr);
            if (std::isinf(t.floatValue)) throw CompileError(t.loc, "number " + t.text + " is out of range");
            return t;
        }

        t.kind = TokenKind::Integer;
        t.intWidth = width;
        int bits = (width == 0 ? 4 : width) * 8;
        uint64_t half = 1ull << (bits - 1);
        std::string range = width == 0 ? "a 32-bit integer" : "int" + std::to_string(bits);
        if (isHex && !negative) {
            // An unsigned hex literal is a bit pattern of the integer's width.
            if (tooBig || magnitude >= 2 * half)
                throw CompileError(t.loc, "hex literal " + t.text + " does not fit in " + range);
            t.intValue = magnitude >= half ? static_cast<int64_t>(magnitude) - static_cast<int64_t>(2 * half)
                                           : static_cast<int64_t>(magnitude);
        } else {
            if (tooBig || magnitude > (negative ? half : half - 1))
                throw CompileError(t.loc, "integer " + t.text + " does not fit in " + range);
            t.intValue = negative ? -static_cast<int64_t>(magnitude) : static_cast<int64_t>(magnitude);
        }
        return t;
    }

    std::string shownTail() {
        std::string s;
        while (isIdentPart(peek()) || peek() == '.') appendUtf8(take(), s);
        return s;
    }

    Token string(Token& t) {
        t.kind = TokenKind::String;
        ++pos_;  // opening quote
        for (;;) {
            SourceLoc at = here();
            char32_t c = peek();
            if (c == kEof || c == '\n' || c == '\r')
                throw CompileError(t.loc, "unterminated string");
            ++pos_;
            if (c == '"') return t;
            if (c != '\\') {
                addChar(t, c, at);
                continue;
            }
            char32_t e = peek();
            switch (e) {
                case '"': case '\\': addChar(t, e, at); ++pos_; break;
                case 'n': addChar(t, '\n', at); ++pos_; break;
                case 'r': addChar(t, '\r', at); ++pos_; break;
                case 't': addChar(t, '\t', at); ++pos_; break;
                case 'x': {
                    int hi = hexValue(peek(1)), lo = hexValue(peek(2));
                    if (hi < 0 || lo < 0) throw CompileError(at, "\\x needs two hex digits");
                    pos_ += 3;
                    char byte = static_cast<char>(hi * 16 + lo);
                    t.text += byte;  // a raw byte: it goes out exactly as written
                    t.bytes += byte;
                    break;
                }
                default: {
                    std::string esc;
                    if (e != kEof && e >= 0x20) appendUtf8(e, esc);
                    throw CompileError(at, "unknown escape '\\" + esc +
                                               "' (use \\\" \\\\ \\n \\r \\t or \\xHH)");
                }
            }
        }
    }

    std::vector<Char> chars_;
    size_t pos_ = 0;
    Cp932Encoder encoder_;
};

}  // namespace

std::vector<Token> tokenize(const std::string& source) { return Lexer(source).run(); }

std::string describe(const Token& tok) {
    switch (tok.kind) {
        case TokenKind::Ident: return "'" + tok.text + "'";
        case TokenKind::Integer: return "integer " + tok.text;
        case TokenKind::Float: return "number " + tok.text;
        case TokenKind::String: return "a string";
        case TokenKind::HexBlob: return "hex( … )";
        case TokenKind::End: return "end of file";
        default: return "'" + tok.text + "'";
    }
}

}  // namespace formc
