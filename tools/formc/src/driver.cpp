#include "driver.h"

#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <vector>

#include "parser.h"
#include "pixmap.h"
#include "writer.h"

namespace formc {

namespace {

bool readWholeFile(const std::string& path, std::string& data, std::string& error) {
    FILE* f = std::fopen(path.c_str(), "rb");
    if (!f) {
        error = std::strerror(errno);
        return false;
    }
    char buf[65536];
    size_t n;
    while ((n = std::fread(buf, 1, sizeof buf, f)) > 0) data.append(buf, n);
    bool ok = std::ferror(f) == 0;
    if (!ok) error = std::strerror(errno);
    std::fclose(f);
    return ok;
}

// Writes through a temporary file in the output's folder, then renames it over the output.
bool writeAtomically(const std::string& path, const std::string& data, std::string& error) {
    std::vector<char> tmpl(path.begin(), path.end());
    const char suffix[] = ".tmp-XXXXXX";
    tmpl.insert(tmpl.end(), suffix, suffix + sizeof suffix);  // includes the terminator
    int fd = mkstemp(tmpl.data());
    if (fd < 0) {
        error = std::strerror(errno);
        return false;
    }
    const char* p = data.data();
    size_t left = data.size();
    while (left > 0) {
        ssize_t w = ::write(fd, p, left);
        if (w < 0) {
            if (errno == EINTR) continue;
            error = std::strerror(errno);
            ::close(fd);
            std::remove(tmpl.data());
            return false;
        }
        p += w;
        left -= static_cast<size_t>(w);
    }
    if (::close(fd) != 0 || std::rename(tmpl.data(), path.c_str()) != 0) {
        error = std::strerror(errno);
        std::remove(tmpl.data());
        return false;
    }
    return true;
}

std::string folderOf(const std::string& path) {
    size_t slash = path.find_last_of('/');
    if (slash == std::string::npos) return ".";
    if (slash == 0) return "/";
    return path.substr(0, slash);
}

}  // namespace

int compileFile(const std::string& input, const std::string& output, std::ostream& err) {
    auto fail = [&](const std::string& message) {
        err << message << '\n';
        std::remove(output.c_str());
        return 1;
    };
    std::string source, error;
    if (!readWholeFile(input, source, error)) return fail("formc: cannot read " + input + ": " + error);
    std::string stream;
    try {
        ParseOptions options;
        options.baseDir = folderOf(input);
        stream = writeStream(parseDescription(source, options));
    } catch (const CompileError& e) {
        return fail(input + ":" + std::to_string(e.loc.line) + ":" + std::to_string(e.loc.col) + ": " + e.what());
    } catch (const std::exception& e) {
        return fail("formc: " + std::string(e.what()));
    }
    if (!writeAtomically(output, stream, error)) return fail("formc: cannot write " + output + ": " + error);
    return 0;
}

int compilePicture(const std::string& input, const std::string& output, bool icon, std::ostream& err) {
    auto fail = [&](const std::string& message) {
        err << message << '\n';
        std::remove(output.c_str());
        return 1;
    };
    std::string source, error, picture;
    if (!readWholeFile(input, source, error)) return fail("formc: cannot read " + input + ": " + error);
    try {
        picture = icon ? iconFile(parsePixelMap(source)) : bitmapFile(parsePixelMap(source));
    } catch (const CompileError& e) {
        return fail(input + ":" + std::to_string(e.loc.line) + ":" + std::to_string(e.loc.col) + ": " + e.what());
    }
    if (!writeAtomically(output, picture, error)) return fail("formc: cannot write " + output + ": " + error);
    return 0;
}

int compileIcon(const std::string& input, const std::string& output, std::ostream& err) {
    return compilePicture(input, output, true, err);
}

int runFormc(int argc, const char* const* argv, std::ostream& err) {
    if (argc == 4 && std::strcmp(argv[1], "--icon") == 0) return compileIcon(argv[2], argv[3], err);
    if (argc == 4 && std::strcmp(argv[1], "--bitmap") == 0) return compilePicture(argv[2], argv[3], false, err);
    if (argc != 3) {
        err << "usage: formc INPUT.txt OUTPUT.bin\n"
               "       formc --icon PIXMAP.txt OUTPUT.ico\n"
               "       formc --bitmap PIXMAP.txt OUTPUT.bmp\n"
               "Compiles a window description text into the binary description stream,\n"
               "or a readable pixel map into an icon or a bitmap file.\n";
        return 1;
    }
    return compileFile(argv[1], argv[2], err);
}

}  // namespace formc
