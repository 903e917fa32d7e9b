#pragma once
// The remote page's files, compiled into the program from res/remote (no file is ever read from disk
// to answer a request).
#include <span>
#include <string_view>

namespace pavo::remote {

struct Asset {
    std::string_view path;  // as requested: "/app.js"
    std::string_view type;  // its Content-Type
    std::string_view body;
};

std::span<const Asset> Assets();
const Asset* FindAsset(std::string_view path);

}  // namespace pavo::remote
