// pavo-unit: a stand-in for the audio processor on a pseudo-terminal. Prints the device to connect
// to and answers the program on it until interrupted.
#include <unistd.h>

#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

#include "UnitLine.h"

namespace {

volatile std::sig_atomic_t g_stop = 0;
void OnSignal(int) {
    g_stop = 1;
}

void Usage(FILE* out) {
    std::fprintf(out,
                 "usage: pavo-unit [options]\n"
                 "Opens a pseudo-terminal, prints its device path and answers like the unit.\n"
                 "  --authority N        store authority reported by the lookup (default 1)\n"
                 "  --link PATH          also make PATH a symbolic link to the device\n"
                 "  --silent             never answer\n"
                 "  --silent-after N     answer the first N frames only\n"
                 "  --bad-sum-every N    every Nth reply carries a wrong sum\n"
                 "  --nack-every N       every Nth acknowledgement refuses the command\n"
                 "  --noise HEX          bytes sent before every reply, e.g. 0012A7\n"
                 "  --chunk N            send replies in pieces of N bytes\n"
                 "  --chunk-delay MS     pause between pieces\n"
                 "  --reply-delay MS     pause before every reply\n"
                 "  --unplug-after N     close the line after N frames\n"
                 "  --wire-baud N        answer as late as a real line at N baud would\n"
                 "  --slow-command CC:MS replies to command CC (hex) wait MS more, e.g. 82:1300\n"
                 "  --chatter HEX        bytes another device sends on the line, e.g. 00A7FF\n"
                 "  --chatter-every MS   how often it sends them (default 5)\n"
                 "  --corrupt-store N:B  stored program N keeps byte B of its image one higher than\n"
                 "                       it was sent (a memory fault), e.g. 3:120\n"
                 "  --verbose            print every frame received\n"
                 "  --help\n");
}

bool ParseHex(const char* text, std::vector<uint8_t>& out) {
    const size_t n = std::strlen(text);
    if (n % 2) return false;
    for (size_t i = 0; i < n; i += 2) {
        char pair[3] = {text[i], text[i + 1], 0};
        char* end = nullptr;
        const long v = std::strtol(pair, &end, 16);
        if (*end) return false;
        out.push_back(static_cast<uint8_t>(v));
    }
    return true;
}

// "82:1300": replies to CMD 0x82 wait 1300 ms.
bool ParseSlowCommand(const char* text, pavo::unit::UnitOptions& options) {
    char* end = nullptr;
    const long cmd = std::strtol(text, &end, 16);
    if (end == text || *end != ':' || cmd < 0 || cmd > 0xFF) return false;
    const char* ms = end + 1;
    const long delay = std::strtol(ms, &end, 10);
    if (end == ms || *end || delay < 0) return false;
    options.slowCommand = static_cast<int>(cmd);
    options.slowCommandMs = static_cast<int>(delay);
    return true;
}

// "3:120": stored program 3 keeps byte 120 of its image one higher than sent.
bool ParseCorruptStore(const char* text, pavo::unit::UnitOptions& options) {
    char* end = nullptr;
    const long program = std::strtol(text, &end, 10);
    if (end == text || *end != ':' || program < 1 || program > pavo::kProgramCount) return false;
    const char* byte = end + 1;
    const long offset = std::strtol(byte, &end, 10);
    if (end == byte || *end || offset < 0 || offset >= static_cast<long>(sizeof(pavo::ProgramImage)))
        return false;
    options.corruptProgram = static_cast<int>(program);
    options.corruptOffset = static_cast<int>(offset);
    return true;
}

}  // namespace

int main(int argc, char** argv) {
    pavo::unit::UnitOptions options;
    std::string link;
    bool verbose = false;
    for (int i = 1; i < argc; ++i) {
        const std::string a = argv[i];
        auto number = [&](int& target) {
            if (i + 1 >= argc) return false;
            char* end = nullptr;
            const long v = std::strtol(argv[++i], &end, 10);
            if (*end || v < 0) return false;
            target = static_cast<int>(v);
            return true;
        };
        int authority = 0;
        bool ok = true;
        if (a == "--help" || a == "-h") {
            Usage(stdout);
            return 0;
        } else if (a == "--authority") {
            ok = number(authority);
            options.storeAuthority = static_cast<uint8_t>(authority);
        } else if (a == "--link" && i + 1 < argc) {
            link = argv[++i];
        } else if (a == "--silent") {
            options.silent = true;
        } else if (a == "--silent-after") {
            ok = number(options.silentAfter);
        } else if (a == "--bad-sum-every") {
            ok = number(options.badSumEvery);
        } else if (a == "--nack-every") {
            ok = number(options.nackEvery);
        } else if (a == "--noise" && i + 1 < argc) {
            ok = ParseHex(argv[++i], options.noise);
        } else if (a == "--chunk") {
            ok = number(options.chunkSize);
        } else if (a == "--chunk-delay") {
            ok = number(options.chunkDelayMs);
        } else if (a == "--reply-delay") {
            ok = number(options.replyDelayMs);
        } else if (a == "--unplug-after") {
            ok = number(options.unplugAfter);
        } else if (a == "--wire-baud") {
            int baud = 0;
            ok = number(baud);
            options.wireBaud = static_cast<unsigned>(baud);
        } else if (a == "--slow-command" && i + 1 < argc) {
            ok = ParseSlowCommand(argv[++i], options);
        } else if (a == "--chatter" && i + 1 < argc) {
            ok = ParseHex(argv[++i], options.chatter) && !options.chatter.empty();
            if (options.chatterEveryMs == 0) options.chatterEveryMs = 5;
        } else if (a == "--chatter-every") {
            ok = number(options.chatterEveryMs);
        } else if (a == "--corrupt-store" && i + 1 < argc) {
            ok = ParseCorruptStore(argv[++i], options);
        } else if (a == "--verbose") {
            verbose = true;
        } else {
            ok = false;
        }
        if (!ok) {
            std::fprintf(stderr, "pavo-unit: bad option %s\n", a.c_str());
            Usage(stderr);
            return 2;
        }
    }

    pavo::unit::UnitLine line(options);
    std::string error;
    if (!line.Start(&error)) {
        std::fprintf(stderr, "pavo-unit: %s\n", error.c_str());
        return 1;
    }
    if (!link.empty()) {
        ::unlink(link.c_str());
        if (::symlink(line.DevicePath().c_str(), link.c_str()) != 0) {
            std::fprintf(stderr, "pavo-unit: cannot link %s: %s\n", link.c_str(), std::strerror(errno));
            return 1;
        }
    }
    std::printf("%s\n", line.DevicePath().c_str());
    std::fflush(stdout);

    std::signal(SIGINT, OnSignal);
    std::signal(SIGTERM, OnSignal);
    // Sleeps until the next frame or for 200 ms, whichever comes first, to notice a signal or an
    // unplug. `shown` must follow every frame, printed or not: a wait for a frame that has already
    // arrived returns at once and would turn this loop into a spin.
    size_t shown = 0;
    while (!g_stop && !line.Unplugged()) {
        line.WaitForFrames(shown + 1, 200);
        if (!verbose) {
            shown = line.ReceivedCount();
            continue;
        }
        for (const auto& f : line.ReceivedFrom(shown)) {
            std::fprintf(stderr, "%10.1f ms  CMD %02X  %zu payload bytes\n", f.atMs, f.frame.cmd,
                         f.frame.payload.size());
            ++shown;
        }
    }
    line.Stop();
    if (!link.empty()) ::unlink(link.c_str());
    return 0;
}
