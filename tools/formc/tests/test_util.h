// Helpers shared by the formc tests.
#pragma once

#include <cstdint>
#include <initializer_list>
#include <string>
#include <vector>

#include "diagnostics.h"

using Bytes = std::vector<uint8_t>;

// Parses and writes `source`; file()/bitmap() paths are taken relative to `baseDir`.
Bytes compile(const std::string& source, const std::string& baseDir = ".");

// Compiles `source` expecting a CompileError, and returns it (a test failure otherwise).
formc::CompileError compileError(const std::string& source, const std::string& baseDir = ".");

Bytes toBytes(const std::string& s);

// Builds expected streams: pieces of raw bytes and ASCII text (no length byte added).
struct Piece {
    Piece(std::initializer_list<uint8_t> raw) : bytes(raw) {}
    Piece(const char* text) : bytes(text, text + std::char_traits<char>::length(text)) {}
    Bytes bytes;
};
Bytes cat(std::initializer_list<Piece> pieces);

// A fresh, empty folder under /tmp, removed with its files at destruction.
class TempDir {
public:
    TempDir();
    ~TempDir();
    const std::string& path() const { return path_; }
    std::string file(const std::string& name) const { return path_ + "/" + name; }
    void write(const std::string& name, const std::string& data) const;
    std::vector<std::string> list() const;

private:
    std::string path_;
};
