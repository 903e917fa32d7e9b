#include "BatchFile.h"

#include <fstream>
#include <iostream>

#include "CliFailure.h"

namespace pavo::cli {

bool SplitWords(const std::string& line, std::vector<std::string>& words) {
    words.clear();
    size_t i = 0;
    while (i < line.size()) {
        while (i < line.size() && std::isspace(static_cast<unsigned char>(line[i]))) ++i;
        if (i == line.size() || line[i] == '#') break;
        std::string word;
        while (i < line.size() && !std::isspace(static_cast<unsigned char>(line[i]))) {
            const char c = line[i++];
            if (c != '"' && c != '\'') {
                word += c;
                continue;
            }
            const size_t close = line.find(c, i);
            if (close == std::string::npos) return false;
            word += line.substr(i, close - i);
            i = close + 1;
        }
        words.push_back(word);
    }
    return true;
}

std::vector<UnitStep> ReadBatch(const std::string& path, const std::string& name) {
    std::ifstream file;
    if (path != "-") {
        file.open(path);
        if (!file) FailUsage("cannot read " + path);
    }
    std::istream& in = path == "-" ? std::cin : file;
    std::vector<UnitStep> steps;
    std::string line;
    std::vector<std::string> words;
    for (int number = 1; std::getline(in, line); ++number) {
        try {
            if (!SplitWords(line, words)) FailUsage("a quote is not closed");
            if (words.empty()) continue;
            const std::string command = words[0];
            words.erase(words.begin());
            UnitStep step;
            if (command == "get")
                step = GetStep(words);
            else if (command == "set")
                step = SetStep(words);
            else if (command == "recall")
                step = RecallStep(words);
            else
                FailUsage("a batch line is get, set or recall, not " + command);
            step.line = number;
            steps.push_back(std::move(step));
        } catch (const CliFailure& f) {
            throw CliFailure(f.code(), name + " line " + std::to_string(number) + ": " + f.what());
        }
    }
    if (steps.empty()) FailUsage(name + " holds no get, set or recall line");
    return steps;
}

}  // namespace pavo::cli
