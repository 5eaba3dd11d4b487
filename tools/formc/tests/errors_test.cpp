// Malformed descriptions are refused with the line and column of the cause.
#include <string>

#include <gtest/gtest.h>

#include "test_util.h"

namespace {

struct ErrorCase {
    std::string source;
    int line;
    int col;
    std::string message;  // a part of the expected message
};

void expectErrors(const std::vector<ErrorCase>& cases, const std::string& baseDir = ".") {
    for (const ErrorCase& c : cases) {
        formc::CompileError e = compileError(c.source, baseDir);
        EXPECT_EQ(e.loc.line, c.line) << c.source;
        EXPECT_EQ(e.loc.col, c.col) << c.source;
        EXPECT_NE(std::string(e.what()).find(c.message), std::string::npos)
            << "message \"" << e.what() << "\" lacks \"" << c.message << "\" for:\n" << c.source;
    }
}

}  // namespace

TEST(Errors, MalformedTokens) {
    expectErrors({
        {"F : T {\n  Left = 1 @\n}", 2, 12, "unexpected character '@'"},
        {"F : T { A = 1 /* c */ }", 1, 15, "unexpected character '/'"},
        {"F : T {\n  Caption = \"abc\n}", 2, 13, "unterminated string"},
        {"F : T { C = \"abc", 1, 13, "unterminated string"},
        {"F : T { C = \"a\\qb\" }", 1, 15, "unknown escape '\\q'"},
        {"F : T { C = \"a\\x4\" }", 1, 15, "\\x needs two hex digits"},
        {"F : T { B = hex(00 ABC) }", 1, 20, "odd number of hex digits"},
        {"F : T { B = hex(00 GG) }", 1, 20, "in hex("},
        {"F : T { B = hex(00 ", 1, 13, "missing ')'"},
        {"F : T { V = 12ab }", 1, 13, "malformed number '12ab'"},
        {"F : T { V = 1.2.3 }", 1, 13, "malformed number"},
        {"F : T { V = 0x }", 1, 13, "expected hex digits"},
        {"F : T {\n  C = \"\xFF\" }", 2, 8, "invalid UTF-8"},
        {"F : T {\n  C = \"\xC0\xAF\" }", 2, 8, "invalid UTF-8"},  // overlong '/'
    });
}

TEST(Errors, IntegersOutOfRangeAndBadWidths) {
    expectErrors({
        {"F : T { V = 2147483648 }", 1, 13, "does not fit in a 32-bit integer"},
        {"F : T { V = -2147483649 }", 1, 13, "does not fit"},
        {"F : T { V = 99999999999999999999999 }", 1, 13, "does not fit"},
        {"F : T { V = 0x100000000 }", 1, 13, "does not fit"},
        {"F : T { V = -0x80000001 }", 1, 13, "does not fit"},
        {"F : T { V = 300:int8 }", 1, 13, "does not fit in int8"},
        {"F : T { V = 0x100:int8 }", 1, 13, "does not fit in int8"},
        {"F : T { V = -32769:int16 }", 1, 13, "does not fit in int16"},
        {"F : T { V = 1:int64 }", 1, 15, "unknown width 'int64'"},
        {"F : T { V = 1.5:int8 }", 1, 17, "only to integers"},
    });
}

TEST(Errors, CharactersWithoutCp932AreReportedWhereTheyStand) {
    expectErrors({
        // columns count characters, not bytes
        {"F : T {\n  C = \"あい😀\"\n}", 2, 10, "U+1F600"},
        {"F : T {\n  C = \"ok\" \"x¦\"\n}", 2, 14, "U+00A6"},
        {"F : T { ¦A = 1 }", 1, 9, "has no CP932 encoding"},
    });
}

TEST(Errors, StructureMistakes) {
    expectErrors({
        {"F : T {\n  A : TA {\n  }\n", 4, 1, "missing '}' for the block opened at 1:7"},
        {"F : T {\n  Items = < item { A = 1 \n", 3, 1, "missing '}' for the item opened at 2:18"},
        {"F : T { L = (1, 2 ", 1, 19, "',' or ')'"},
        {"F : T { L = (1 2) }", 1, 16, "',' or ')'"},
        {"F { }", 1, 3, "expected ':' and a class name"},
        {"F : { }", 1, 5, "expected a class name"},
        {"F : T { Left = }", 1, 16, "expected a value"},
        {"F : T { Left 1 }", 1, 14, "expected ':'"},
        {"F : T { Font. = 1 }", 1, 15, "a property name after '.'"},
        {"F : T { S = [a b] }", 1, 16, "',' or ']'"},
        {"F : T { S = [1] }", 1, 14, "a set element name"},
        {"F : T { C = < thing { } > }", 1, 15, "expected 'item' or '>'"},
        {"F : T { C = < item { X : TX { } } > }", 1, 22, "expected a property or '}'"},
        {"F : T { = 1 }", 1, 9, "expected a property, a component or '}'"},
        {"F : T { }\nG : T { }", 2, 1, "after the window's block"},
        {"F : T { A : TA at x { } }", 1, 19, "the child position after 'at'"},
        {"F : T {\n  A : TA { }\n  Left = 1\n}", 3, 3, "properties come first"},
        {"F : T {\n  font.name = \"a\"\n  Font.Name = \"b\"\n}", 3, 3, "'Font.Name' is already set at 2:3"},
        {"F : T {\n  A : TA { B : TB { } }\n  b : TB { }\n}", 3, 3, "'b' is already declared at 2:12"},
    });
}

TEST(Errors, ShortStringsOver255Bytes) {
    std::string n256(256, 'x');
    expectErrors({
        {"F : T { " + n256 + " : TX { } }", 1, 9, "component name is 256 bytes long"},
        {"F : " + n256 + " { }", 1, 5, "class name is 256 bytes long"},
        {"F : T { " + n256 + " = 1 }", 1, 9, "property name is 256"},
        {"F : T { A.B = " + n256 + " }", 1, 15, "identifier is 256"},
        {"F : T { S = [a, " + n256 + "] }", 1, 17, "set element is 256"},
    });
    // a dotted path counts as a whole
    std::string n127(127, 'p');
    expectErrors({{"F : T { " + n127 + "." + n127 + ".q = 1 }", 1, 9, "property name is 257"}});
}

TEST(Errors, FilesThatCannotBeUsed) {
    TempDir dir;
    dir.write("text.bmp", std::string(40, 'x'));
    dir.write("tiny.bmp", "BM");
    expectErrors({
        {"F : T { D = file(\"nope.bin\") }", 1, 18, "cannot read 'nope.bin': No such file"},
        {"F : T { D = bitmap(\"text.bmp\") }", 1, 20, "is not a bitmap file"},
        {"F : T { D = bitmap(\"tiny.bmp\") }", 1, 20, "is not a bitmap file"},
        {"F : T { D = file(12) }", 1, 18, "a file name in quotes"},
    }, dir.path());
}
