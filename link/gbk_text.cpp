#include "gbk_text.h"

#include <cerrno>
#include <iconv.h>

namespace {

// One conversion with a caller-chosen policy for input the converter rejects. iconv descriptors
// are not thread-safe, so each call opens its own; the texts are short.
template <typename OnBadInput>
std::string convert(std::string_view in, const char* to, const char* from, OnBadInput onBad) {
    iconv_t cd = iconv_open(to, from);
    if (cd == reinterpret_cast<iconv_t>(-1))
        return std::string(in);
    std::string out;
    out.reserve(in.size() * 2 + 4);
    char* src = const_cast<char*>(in.data());
    std::size_t srcLeft = in.size();
    char chunk[256];
    while (srcLeft > 0) {
        char* dst = chunk;
        std::size_t dstLeft = sizeof chunk;
        const std::size_t rc = iconv(cd, &src, &srcLeft, &dst, &dstLeft);
        out.append(chunk, static_cast<std::size_t>(dst - chunk));
        if (rc != static_cast<std::size_t>(-1))
            continue;
        if (errno == E2BIG)
            continue;
        // EILSEQ or EINVAL (truncated sequence at the end): substitute and step past it.
        const std::size_t skip = onBad(src, srcLeft, out);
        src += skip;
        srcLeft -= skip;
    }
    iconv(cd, nullptr, nullptr, nullptr, nullptr);
    iconv_close(cd);
    return out;
}

// Length of the UTF-8 sequence that starts at p, at least 1, never beyond n.
std::size_t utf8SequenceLength(const char* p, std::size_t n) {
    const auto lead = static_cast<unsigned char>(*p);
    std::size_t len = 1;
    if (lead >= 0xF0)
        len = 4;
    else if (lead >= 0xE0)
        len = 3;
    else if (lead >= 0xC0)
        len = 2;
    std::size_t i = 1;
    while (i < len && i < n && (static_cast<unsigned char>(p[i]) & 0xC0) == 0x80)
        ++i;
    return i;
}

} // namespace

std::string utf8ToGbk(std::string_view Utf8) {
    return convert(Utf8, "GBK", "UTF-8", [](const char* p, std::size_t n, std::string& out) {
        out.push_back('?');
        return utf8SequenceLength(p, n);
    });
}

std::string gbkToUtf8(std::string_view Gbk) {
    return convert(Gbk, "UTF-8", "GBK", [](const char*, std::size_t, std::string& out) {
        out.append("\xEF\xBF\xBD");
        return std::size_t{1};
    });
}
