#include "test_util.h"

#include <dirent.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <fstream>

#include <gtest/gtest.h>

#include "parser.h"
#include "writer.h"

Bytes toBytes(const std::string& s) { return Bytes(s.begin(), s.end()); }

Bytes compile(const std::string& source, const std::string& baseDir) {
    formc::ParseOptions options;
    options.baseDir = baseDir;
    return toBytes(formc::writeStream(formc::parseDescription(source, options)));
}

formc::CompileError compileError(const std::string& source, const std::string& baseDir) {
    try {
        compile(source, baseDir);
    } catch (const formc::CompileError& e) {
        return e;
    }
    ADD_FAILURE() << "no error for:\n" << source;
    return formc::CompileError({}, "");
}

Bytes cat(std::initializer_list<Piece> pieces) {
    Bytes out;
    for (const Piece& p : pieces) out.insert(out.end(), p.bytes.begin(), p.bytes.end());
    return out;
}

TempDir::TempDir() {
    char tmpl[] = "/tmp/formc-test-XXXXXX";
    if (!mkdtemp(tmpl)) std::abort();
    path_ = tmpl;
}

TempDir::~TempDir() {
    for (const std::string& name : list()) std::remove(file(name).c_str());
    rmdir(path_.c_str());
}

void TempDir::write(const std::string& name, const std::string& data) const {
    std::ofstream(file(name), std::ios::binary) << data;
}

std::vector<std::string> TempDir::list() const {
    std::vector<std::string> names;
    if (DIR* d = opendir(path_.c_str())) {
        while (dirent* e = readdir(d)) {
            std::string n = e->d_name;
            if (n != "." && n != "..") names.push_back(n);
        }
        closedir(d);
    }
    return names;
}
