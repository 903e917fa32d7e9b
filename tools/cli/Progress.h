#pragma once
// Progress of a long transfer: a bar redrawn in place on a terminal, plain lines otherwise (logs,
// pipes, several units at once).
#include <cstdio>
#include <string>

namespace pavo::cli {

class Progress {
public:
    // `terminal`: draw a bar (the output is a terminal); otherwise one line per step.
    Progress(std::FILE* out, bool terminal, std::string what, int total);
    void Set(int done);
    // Ends the bar's line; nothing for plain lines.
    void Finish();

private:
    std::FILE* out_;
    bool terminal_;
    std::string what_;
    int total_;
    int shown_ = -1;
    bool open_ = false;
};

}  // namespace pavo::cli
