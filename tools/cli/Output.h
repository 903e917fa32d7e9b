#pragma once
// What pavo-cli prints. Results go to stdout, messages and errors to stderr, each line whole: with
// several units served at once (threads of one process) lines never mix, and each result line starts
// with the port of the unit it is about. A JSON document names its port itself: alone it is printed
// indented, with several units as one line each (JSON lines).
#include <nlohmann/json.hpp>
#include <string>

namespace pavo::cli {

// The port whose results this thread prints; empty (the default): no prefix.
void SetOutputPort(const std::string& port);
// Results: whole lines, printf-style.
[[gnu::format(printf, 1, 2)]] void Print(const char* format, ...);
// One JSON document (on one line with `oneLine`); bytes that are not UTF-8 come out as U+FFFD.
void PrintJson(const nlohmann::ordered_json& document, bool oneLine = false);
// One message or error line on stderr, "pavo-cli: " before it.
void PrintError(const std::string& line);

}  // namespace pavo::cli
