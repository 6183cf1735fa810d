#!/usr/bin/env bash
# Makes win32/Gb18030Tables.inc, the tables of the Windows program's GB18030 codec, from glibc's
# iconv on this machine (Debian 12: the GB18030-2005 mapping). Wine has no code page 54936, so the
# program carries its own tables. Run it again only to change the mapping:
#   bash scripts/make-gb18030-tables.sh
set -euo pipefail
cd "$(dirname "$0")/.."
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
cat >"$work/gen.cpp" <<'GEN'
#include <iconv.h>
#include <cstdio>
#include <cstdint>
#include <cstring>
#include <vector>
#include <string>
#include <map>
// Decodes one byte sequence with iconv; returns code point or -1.
static iconv_t dec, enc;
long Decode(const unsigned char* b, size_t n) {
    iconv(dec, nullptr, nullptr, nullptr, nullptr);
    char in[8]; memcpy(in, b, n); char out[16]; char* ip = in; char* op = out; size_t il = n, ol = sizeof out;
    if (iconv(dec, &ip, &il, &op, &ol) == (size_t)-1 || il != 0) return -1;
    if (sizeof out - ol != 4) return -1;
    uint32_t cp; memcpy(&cp, out, 4); return cp;
}
std::string Encode(uint32_t cp) {
    iconv(enc, nullptr, nullptr, nullptr, nullptr);
    char in[4]; memcpy(in, &cp, 4); char out[16]; char* ip = in; char* op = out; size_t il = 4, ol = sizeof out;
    if (iconv(enc, &ip, &il, &op, &ol) == (size_t)-1) return {};
    return std::string(out, sizeof out - ol);
}
int main() {
    dec = iconv_open("UTF-32LE", "GB18030");
    enc = iconv_open("GB18030", "UTF-32LE");
    std::vector<uint16_t> two(126 * 190, 0);
    std::map<uint32_t, int> seen;
    int dup = 0, nonbmp = 0;
    std::vector<std::pair<unsigned, unsigned>> beyond;
    for (int lead = 0x81; lead <= 0xFE; ++lead)
        for (int t = 0x40; t <= 0xFE; ++t) {
            if (t == 0x7F) continue;
            unsigned char b[2] = {(unsigned char)lead, (unsigned char)t};
            long cp = Decode(b, 2);
            int idx = (lead - 0x81) * 190 + (t < 0x7F ? t - 0x40 : t - 0x41);
            if (cp < 0) continue;
            if (cp > 0xFFFF) { ++nonbmp; beyond.push_back({(unsigned)(lead << 8 | t), (unsigned)cp}); continue; }
            if (Encode(cp) != std::string((char*)b, 2)) { ++dup; fprintf(stderr, "no roundtrip %02x%02x -> %lx\n", lead, t, cp); continue; }
            two[idx] = (uint16_t)cp;
        }
    // Four-byte BMP: pointers of code points that encode with four bytes.
    struct Range { uint32_t pointer, cp, length; };
    std::vector<Range> ranges;
    for (uint32_t cp = 0x80; cp <= 0xFFFF; ++cp) {
        if (cp >= 0xD800 && cp <= 0xDFFF) continue;
        std::string e = Encode(cp);
        if (e.size() != 4) continue;
        const unsigned char* u = (const unsigned char*)e.data();
        uint32_t p = (u[0] - 0x81) * 12600 + (u[1] - 0x30) * 1260 + (u[2] - 0x81) * 10 + (u[3] - 0x30);
        if (Decode(u, 4) != (long)cp) { fprintf(stderr, "4-byte no roundtrip %x\n", cp); continue; }
        if (!ranges.empty() && ranges.back().pointer + ranges.back().length == p && ranges.back().cp + ranges.back().length == cp)
            ++ranges.back().length;
        else ranges.push_back({p, cp, 1});
    }
    fprintf(stderr, "dup %d nonbmp %d ranges %zu\n", dup, nonbmp, ranges.size());
    printf("// GB18030 tables, made by scripts/make-gb18030-tables.sh from glibc's iconv; do not edit.\n");
    printf("// clang-format off\n");
    printf("// Two-byte codes: lead 0x81-0xFE, trail 0x40-0x7E and 0x80-0xFE, 190 per lead; 0 for none.\n");
    printf("constexpr std::uint16_t kTwoByte[126 * 190] = {\n");
    for (size_t i = 0; i < two.size(); ++i) printf("%s0x%04X,%s", i % 10 == 0 ? "    " : " ", two[i], i % 10 == 9 ? "\n" : "");
    printf("\n};\n");
    printf("// Two-byte codes of characters beyond the BMP.\n");
    printf("constexpr TwoByteBeyondBmp kTwoByteBeyondBmp[] = {\n");
    for (auto& [code, cp] : beyond) printf("    {0x%04X, 0x%05X},\n", code, cp);
    printf("};\n");
    printf("// Four-byte codes of the BMP: runs of consecutive pointers and code points.\n");
    printf("constexpr FourByteRun kFourByteRuns[] = {\n");
    for (auto& r : ranges) printf("    {%u, 0x%04X, %u},\n", r.pointer, r.cp, r.length);
    printf("};\n");
    printf("// clang-format on\n");
    // Check supplementary linear mapping.
    std::string e = Encode(0x1F600); const unsigned char* u = (const unsigned char*)e.data();
    uint32_t p = (u[0] - 0x81) * 12600 + (u[1] - 0x30) * 1260 + (u[2] - 0x81) * 10 + (u[3] - 0x30);
    fprintf(stderr, "U+1F600 pointer %u (expect %u)\n", p, 189000 + 0x1F600 - 0x10000);
    unsigned char x80[1] = {0x80}; fprintf(stderr, "0x80 -> %ld, 0xFF -> %ld\n", Decode(x80, 1), Decode((const unsigned char*)"\xFF", 1));
}
GEN
g++ -O2 -std=c++17 -o "$work/gen" "$work/gen.cpp"
"$work/gen" >win32/Gb18030Tables.inc
