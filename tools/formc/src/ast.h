// The parsed window description: one Component per block, values as written.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "diagnostics.h"

namespace formc {

// A name as it goes into the stream (CP932 bytes), with where it was written.
struct Name {
    std::string bytes;
    SourceLoc loc;
};

struct Property;
struct CollectionItem;

enum class ValueKind {
    Integer,     // integer, width forced or smallest that holds it
    Float,       // extended float
    String,      // short or long string, by length
    Identifier,  // clWhite, FormCreate, Form2.Edit1
    False,
    True,
    Nil,
    Binary,      // hex(…), file(…), bitmap(…)
    Set,         // [a, b]
    List,        // (v, v)
    Collection,  // < item { … } … >
};

struct Value {
    ValueKind kind = ValueKind::Nil;
    SourceLoc loc;
    int64_t integer = 0;
    int width = 0;  // forced byte width of an integer (1, 2, 4), 0 = smallest
    long double real = 0;
    std::string bytes;           // String, Identifier, Binary
    std::vector<Name> elements;  // Set
    std::vector<Value> list;     // List
    std::vector<CollectionItem> items;  // Collection
};

struct Property {
    Name name;  // possibly dotted: "Font.Name"
    Value value;
};

struct CollectionItem {
    SourceLoc loc;
    bool hasIndex = false;
    Value index;  // an Integer when hasIndex
    std::vector<Property> properties;
};

struct Component {
    SourceLoc loc;
    bool inherited = false;
    bool hasPosition = false;
    Value position;  // an Integer when hasPosition
    Name className;
    Name name;       // may be empty
    std::vector<Property> properties;
    std::vector<Component> children;
};

}  // namespace formc
