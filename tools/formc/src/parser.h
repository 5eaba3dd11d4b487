// Parser of the readable window description text.
//
// A description file holds one component block, the window, which nests its controls:
//
//   // comment to the end of the line
//   Form1 : TForm1 {
//     Left = 203                        // integer: written as 8, 16 or 32 bits, the smallest that holds it
//     Color = 0x00FFEEF0                // hex integer (a 32-bit pattern: 0x80000005 is negative)
//     Tag = 7:int32                     // :int8 / :int16 / :int32 force the width
//     Font.Name = "ＭＳ Ｐゴシック"       // string, converted to CP932; dotted property path
//     Font.Charset = SHIFTJIS_CHARSET   // identifier
//     Font.Style = [fsBold]             // set of identifiers, [] is the empty set
//     Ratio = 1.5                       // extended float (80-bit)
//     Visible = False                   // True, False, nil (any letter case)
//     OnCreate = FormCreate             // identifier; Form2.Edit1 (dotted) is one identifier too
//     Items.Strings = ("Move", "Copy")  // list of values, commas between, trailing comma allowed
//     Glyph.Data = bitmap("glyph1.bmp") // binary: 4-byte size, then the .bmp file (what a bitmap's Data holds)
//     Glyph.Data = pixmap("glyph1.txt") // the same, from a readable pixel map (see pixmap.h)
//     Blob = file("raw.bin")            // binary: the file's bytes as they are
//     Mask = hex(00 FF 10)              // binary: hex digit pairs, blanks/line breaks/comments between groups
//     Panels = < item { Width = 50 } item 3 { Text = "b" } >   // collection; optional item index
//     Label1 : TLabel { Caption = "Target :" }                 // child component
//     inherited Edit1 : TEdit at 2 { }  // flags: inherited, and/or "at N" = position among siblings
//     : TTimer { }                      // a component without a name
//   }
//
// Grammar (line breaks are not significant; properties come before the children):
//
//   file       = component EOF
//   component  = ["inherited"] [Ident] ":" Ident ["at" Integer] "{" {property} {component} "}"
//   property   = Ident {"." Ident} "=" value
//   value      = Integer | Float | String {String} | "True" | "False" | "nil"
//              | Ident {"." Ident} | "[" [Ident {"," Ident} [","]] "]"
//              | "(" [value {"," value} [","]] ")"
//              | "<" {"item" [Integer] "{" {property} "}"} ">"
//              | "hex(" {hexdigit hexdigit} ")" | "file(" String ")" | "bitmap(" String ")"
//              | "pixmap(" String ")"
//
// Lexical rules:
// - Source is UTF-8 (a leading byte order mark is skipped). Identifiers are letters,
//   digits and '_' (not first), and any non-ASCII character other than a space.
// - Strings are double-quoted on one line, with escapes \" \\ \n \r \t and \xHH (a raw
//   byte, written as is). Adjacent literals are joined: "abc" "def". The text becomes
//   CP932 (see cp932.h); up to 255 bytes it is a short string, beyond that a long one.
// - Integers: decimal or 0x hex, optional sign, optional :int8/:int16/:int32 suffix
//   written right after the digits. Decimal values must fit the width (32 bits when
//   none is forced). An unsigned hex literal is a bit pattern of that width
//   (0xFF:int8 is -1); a negative one, -0x10, is a magnitude.
// - Floats have a fraction or an exponent: 1.5, -0.25, 2e3.
// - "inherited", "at" (after a class name) and "item" (in a collection) are words of the
//   form; file/bitmap/hex are functions only when an opening parenthesis follows.
// - file(), bitmap() and pixmap() paths are relative to the folder of the description file.
//
// Checks beyond the grammar: a property set twice in one block, two components with the
// same name (letter case ignored), a property after a child component, bitmap() files
// that do not start with "BM", and class, component, property, identifier or set element
// names over 255 CP932 bytes (the writer's check) are errors.
// Because line breaks do not matter, ": TClass { }" right after a value is read as a
// nameless child component; components of the windows always have names.
#pragma once

#include <string>

#include "ast.h"

namespace formc {

struct ParseOptions {
    std::string baseDir = ".";  // folder that file()/bitmap() paths are relative to
};

// Parses a whole description. Throws CompileError.
Component parseDescription(const std::string& source, const ParseOptions& options = {});

}  // namespace formc
