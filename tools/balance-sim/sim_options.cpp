#include "sim_options.h"

#include <cerrno>
#include <cmath>
#include <cstdlib>
#include <string_view>

const char* const SimUsage =
    "usage: balance-sim [options]\n"
    "Opens a pseudo-terminal, prints its device path on the first line and answers as a\n"
    "balance: framed 0x11 ... 0x13, control byte 0x12; commands s t v u c.\n"
    "  --number N          balance number, its low 8 bits (default 1)\n"
    "  --weight GRAMS      base load on the pan (default 12.3456)\n"
    "  --piece GRAMS       piece weight for count mode (default 0.1)\n"
    "  --seed N            seed of the drift and of the faults (default 1)\n"
    "  --baud B            pace replies like a line of B bit/s (default 9600)\n"
    "  --no-pacing         send replies at once\n"
    "  --delay MS          wait before each reply (default 2)\n"
    "  --log FILE          one line per frame: seconds, rx|tx|noise, bytes in hex\n"
    "  --link PATH         also make PATH a symbolic link to the device (removed at exit)\n"
    "  --drop-rate P       probability of not answering a command\n"
    "  --garbage-rate P    probability of noise bytes before a reply\n"
    "  --bad-length-rate P probability of a reply one byte short or long\n"
    "  --hangup-after N    hang the line up after N replies, then wait for SIGINT/SIGTERM\n";

namespace {

bool toLong(std::string_view text, long& out) {
    const std::string s(text);
    char* end = nullptr;
    errno = 0;
    out = std::strtol(s.c_str(), &end, 10);
    return !s.empty() && errno == 0 && *end == '\0';
}

bool toDouble(std::string_view text, double& out) {
    const std::string s(text);
    char* end = nullptr;
    errno = 0;
    out = std::strtod(s.c_str(), &end);
    return !s.empty() && errno == 0 && *end == '\0' && std::isfinite(out);
}

bool toRate(std::string_view text, double& out) {
    return toDouble(text, out) && out >= 0 && out <= 1;
}

} // namespace

std::optional<SimOptions> parseSimOptions(int argc, char** argv, std::string& error) {
    SimOptions o;
    for (int i = 1; i < argc; ++i) {
        const std::string_view opt = argv[i];
        if (opt == "--help" || opt == "-h") {
            o.help = true;
            continue;
        }
        if (opt == "--no-pacing") {
            o.pacing = false;
            continue;
        }
        if (i + 1 >= argc) {
            error = std::string(opt) + ": unknown option or missing value";
            return std::nullopt;
        }
        const std::string_view value = argv[++i];
        long n = 0;
        bool ok = true;
        if (opt == "--number") {
            ok = toLong(value, n);
            o.number = static_cast<std::uint8_t>(n & 0xFF);
        } else if (opt == "--weight") {
            ok = toDouble(value, o.baseGrams);
        } else if (opt == "--piece") {
            ok = toDouble(value, o.pieceGrams) && o.pieceGrams > 0;
        } else if (opt == "--seed") {
            ok = toLong(value, n) && n >= 0 && n <= 0xFFFFFFFFL;
            o.seed = static_cast<std::uint32_t>(n);
        } else if (opt == "--baud") {
            ok = toLong(value, n) && n > 0 && n <= 100'000'000;
            o.baud = static_cast<std::uint32_t>(n);
        } else if (opt == "--delay") {
            ok = toLong(value, n) && n >= 0 && n <= 3'600'000;
            o.delayMs = static_cast<int>(n);
        } else if (opt == "--log") {
            o.logPath = value;
        } else if (opt == "--link") {
            o.linkPath = value;
        } else if (opt == "--drop-rate") {
            ok = toRate(value, o.faults.drop);
        } else if (opt == "--garbage-rate") {
            ok = toRate(value, o.faults.garbage);
        } else if (opt == "--bad-length-rate") {
            ok = toRate(value, o.faults.badLength);
        } else if (opt == "--hangup-after") {
            ok = toLong(value, n) && n >= 0;
            o.hangupAfter = n;
        } else {
            error = std::string(opt) + ": unknown option";
            return std::nullopt;
        }
        if (!ok || value.empty()) {
            error = std::string(opt) + ": bad value '" + std::string(value) + "'";
            return std::nullopt;
        }
    }
    return o;
}
