#include "parser.h"
#include "pixmap.h"

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <map>

#include "lexer.h"

namespace formc {

namespace {

std::string lowerAscii(std::string s) {
    for (char& c : s)
        if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
    return s;
}

std::string where(SourceLoc loc) { return std::to_string(loc.line) + ":" + std::to_string(loc.col); }

class Parser {
public:
    Parser(const std::string& source, const ParseOptions& options)
        : toks_(tokenize(source)), options_(options) {}

    Component run() {
        Component root = component();
        if (peek().kind != TokenKind::End)
            throw CompileError(peek().loc, "unexpected " + describe(peek()) + " after the window's block");
        return root;
    }

private:
    const Token& peek(size_t ahead = 0) const {
        size_t i = pos_ + ahead;
        return i < toks_.size() ? toks_[i] : toks_.back();
    }
    const Token& take() {
        const Token& t = toks_[pos_];
        if (t.kind != TokenKind::End) ++pos_;
        return t;
    }
    bool at(TokenKind kind) const { return peek().kind == kind; }
    bool atWord(const char* word) const { return at(TokenKind::Ident) && peek().text == word; }

    const Token& expect(TokenKind kind, const std::string& what) {
        if (!at(kind)) throw CompileError(peek().loc, "expected " + what + ", found " + describe(peek()));
        return take();
    }

    static const std::string& bytesOf(const Token& t) {
        if (t.encodingError) throw *t.encodingError;
        return t.bytes;
    }

    Name name(const Token& t) { return Name{bytesOf(t), t.loc}; }

    bool atProperty() const {
        return at(TokenKind::Ident) && (peek(1).kind == TokenKind::Equals || peek(1).kind == TokenKind::Dot);
    }

    Component component() {
        Component c;
        c.loc = peek().loc;
        if (atWord("inherited") && (peek(1).kind == TokenKind::Ident || peek(1).kind == TokenKind::Colon)) {
            take();
            c.inherited = true;
        }
        if (at(TokenKind::Ident)) {
            const Token& t = take();
            c.name = name(t);
            noteComponentName(t);
        } else {
            c.name.loc = peek().loc;
        }
        expect(TokenKind::Colon, "':' and a class name");
        c.className = name(expect(TokenKind::Ident, "a class name"));
        if (atWord("at")) {
            take();
            c.hasPosition = true;
            c.position = integer("the child position after 'at'");
        }
        const Token& open = expect(TokenKind::LBrace, "'{'");
        SourceLoc openLoc = open.loc;
        std::map<std::string, SourceLoc> seen;
        while (!at(TokenKind::RBrace)) {
            if (at(TokenKind::End))
                throw CompileError(peek().loc, "missing '}' for the block opened at " + where(openLoc));
            if (atProperty()) {
                if (!c.children.empty())
                    throw CompileError(peek().loc, "property after a child component: properties come first");
                c.properties.push_back(property(seen));
            } else if (at(TokenKind::Ident) || at(TokenKind::Colon)) {
                c.children.push_back(component());
            } else {
                throw CompileError(peek().loc, "expected a property, a component or '}', found " + describe(peek()));
            }
        }
        take();
        return c;
    }

    void noteComponentName(const Token& t) {
        auto [it, inserted] = componentNames_.emplace(lowerAscii(t.text), t.loc);
        if (!inserted)
            throw CompileError(t.loc, "component '" + t.text + "' is already declared at " + where(it->second));
    }

    Property property(std::map<std::string, SourceLoc>& seen) {
        Property p;
        const Token& first = take();
        p.name = name(first);
        std::string path = first.text;
        while (at(TokenKind::Dot)) {
            take();
            const Token& part = expect(TokenKind::Ident, "a property name after '.'");
            p.name.bytes += '.' + bytesOf(part);
            path += '.' + part.text;
        }
        auto [it, inserted] = seen.emplace(lowerAscii(path), p.name.loc);
        if (!inserted)
            throw CompileError(p.name.loc, "property '" + path + "' is already set at " + where(it->second));
        expect(TokenKind::Equals, "'=' after the property name");
        p.value = value();
        return p;
    }

    Value integer(const std::string& what) {
        const Token& t = expect(TokenKind::Integer, what);
        Value v;
        v.kind = ValueKind::Integer;
        v.loc = t.loc;
        v.integer = t.intValue;
        v.width = t.intWidth;
        return v;
    }

    Value value() {
        Value v;
        v.loc = peek().loc;
        const Token& t = peek();
        switch (t.kind) {
            case TokenKind::Integer:
                return integer("an integer");
            case TokenKind::Float:
                take();
                v.kind = ValueKind::Float;
                v.real = t.floatValue;
                return v;
            case TokenKind::String:
                v.kind = ValueKind::String;
                while (at(TokenKind::String)) v.bytes += bytesOf(take());
                return v;
            case TokenKind::HexBlob:
                take();
                v.kind = ValueKind::Binary;
                v.bytes = t.bytes;
                return v;
            case TokenKind::LBracket:
                return set();
            case TokenKind::LParen:
                return list();
            case TokenKind::Less:
                return collection();
            case TokenKind::Ident:
                return identifierValue();
            default:
                throw CompileError(t.loc, "expected a value, found " + describe(t));
        }
    }

    Value identifierValue() {
        Value v;
        v.loc = peek().loc;
        const Token& t = take();
        std::string lower = lowerAscii(t.text);
        if (at(TokenKind::LParen) && (t.text == "file" || t.text == "bitmap" || t.text == "pixmap"))
            return fileValue(t);
        if (lower == "true" || lower == "false" || lower == "nil") {
            v.kind = lower == "true" ? ValueKind::True : lower == "false" ? ValueKind::False : ValueKind::Nil;
            return v;
        }
        v.kind = ValueKind::Identifier;
        v.bytes = bytesOf(t);
        while (at(TokenKind::Dot)) {
            take();
            v.bytes += '.' + bytesOf(expect(TokenKind::Ident, "a name after '.'"));
        }
        return v;
    }

    Value fileValue(const Token& fn) {
        Value v;
        v.kind = ValueKind::Binary;
        v.loc = fn.loc;
        take();  // '('
        const Token& pathTok = expect(TokenKind::String, "a file name in quotes");
        std::string path = pathTok.text;
        while (at(TokenKind::String)) path += take().text;
        expect(TokenKind::RParen, "')'");
        std::string full = !path.empty() && path[0] == '/' ? path : options_.baseDir + "/" + path;
        std::string data = readFile(full, pathTok.loc, path);
        if (fn.text == "pixmap") {
            try {
                data = bitmapFile(parsePixelMap(data));
            } catch (const CompileError& e) {
                throw CompileError(pathTok.loc, path + ":" + std::to_string(e.loc.line) + ":" +
                                                    std::to_string(e.loc.col) + ": " + e.what());
            }
        }
        if (fn.text == "bitmap" || fn.text == "pixmap") {
            if (data.size() < 26 || data.compare(0, 2, "BM") != 0)
                throw CompileError(pathTok.loc, "'" + path + "' is not a bitmap file (no \"BM\" header)");
            uint32_t n = static_cast<uint32_t>(data.size());
            std::string size{static_cast<char>(n & 0xFF), static_cast<char>((n >> 8) & 0xFF),
                             static_cast<char>((n >> 16) & 0xFF), static_cast<char>((n >> 24) & 0xFF)};
            data.insert(0, size);
        }
        v.bytes = std::move(data);
        return v;
    }

    static std::string readFile(const std::string& full, SourceLoc loc, const std::string& shownPath) {
        FILE* f = std::fopen(full.c_str(), "rb");
        if (!f) throw CompileError(loc, "cannot read '" + shownPath + "': " + std::strerror(errno));
        std::string data;
        char buf[65536];
        size_t n;
        while ((n = std::fread(buf, 1, sizeof buf, f)) > 0) data.append(buf, n);
        bool failed = std::ferror(f) != 0;
        int err = errno;
        std::fclose(f);
        if (failed) throw CompileError(loc, "cannot read '" + shownPath + "': " + std::strerror(err));
        return data;
    }

    Value set() {
        Value v;
        v.kind = ValueKind::Set;
        v.loc = take().loc;  // '['
        while (!at(TokenKind::RBracket)) {
            v.elements.push_back(name(expect(TokenKind::Ident, "a set element name or ']'")));
            if (!at(TokenKind::RBracket)) expect(TokenKind::Comma, "',' or ']'");
        }
        take();
        return v;
    }

    Value list() {
        Value v;
        v.kind = ValueKind::List;
        v.loc = take().loc;  // '('
        while (!at(TokenKind::RParen)) {
            if (at(TokenKind::End))
                throw CompileError(peek().loc, "missing ')' for the list opened at " + where(v.loc));
            v.list.push_back(value());
            if (!at(TokenKind::RParen)) expect(TokenKind::Comma, "',' or ')'");
        }
        take();
        return v;
    }

    Value collection() {
        Value v;
        v.kind = ValueKind::Collection;
        v.loc = take().loc;  // '<'
        while (!at(TokenKind::Greater)) {
            if (!atWord("item")) throw CompileError(peek().loc, "expected 'item' or '>', found " + describe(peek()));
            CollectionItem item;
            item.loc = take().loc;
            if (at(TokenKind::Integer)) {
                item.hasIndex = true;
                item.index = integer("an item index");
            }
            SourceLoc openLoc = expect(TokenKind::LBrace, "'{' after 'item'").loc;
            std::map<std::string, SourceLoc> seen;
            while (!at(TokenKind::RBrace)) {
                if (at(TokenKind::End))
                    throw CompileError(peek().loc, "missing '}' for the item opened at " + where(openLoc));
                if (!atProperty())
                    throw CompileError(peek().loc, "expected a property or '}', found " + describe(peek()));
                item.properties.push_back(property(seen));
            }
            take();
            v.items.push_back(std::move(item));
        }
        take();
        return v;
    }

    std::vector<Token> toks_;
    size_t pos_ = 0;
    ParseOptions options_;
    std::map<std::string, SourceLoc> componentNames_;
};

}  // namespace

Component parseDescription(const std::string& source, const ParseOptions& options) {
    return Parser(source, options).run();
}

}  // namespace formc
