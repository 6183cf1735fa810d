#!/usr/bin/env bash
# Writes store/Gb18030Table.cpp, the tables of the program's GB18030 codec (store/Gb18030.cpp),
# from glibc's iconv: the character of every two-byte sequence (lead byte 0x81..0xFE, trail byte
# 0x40..0x7E or 0x80..0xFE), and the ranges of the four-byte sequences of BMP characters
# (81 30 81 30 .. 84 31 A4 39). Four-byte sequences from 90 30 81 30 on stand for U+10000 ..
# U+10FFFF by arithmetic and need no table.
#
# Needs bash and what every Debian system has: iconv (libc-bin), od (coreutils), awk.
#   scripts/gen-gb18030-table.sh        rewrites store/Gb18030Table.cpp
#
# glibc follows the edition of 2022, which no longer decodes 18 four-byte sequences that the
# edition of 2005 gives characters (it gives those characters the two-byte sequences of their
# former private-use places). Files written by other programs still hold them, so the codec
# decodes each as the character it stood for: FORMER_FOUR_BYTE below, as "first sequence, its
# character, count", each running on in both orders. The script stops when iconv refuses any
# other sequence or a two-byte sequence, so that a different iconv cannot slip in unnoticed.
#
# glibc also gives six two-byte sequences of lead byte 0xFE characters beyond the BMP (CJK
# characters once in the private-use area); the two-byte table marks them with surrogate code
# units, which are no character, and lists them apart.
set -euo pipefail
cd "$(dirname "$0")/.."
export LC_ALL=C

FORMER_FOUR_BYTE="82359037 9FB4 3
82359130 9FB7 5
84318236 FE10 4
84318330 FE14 6"

out=store/Gb18030Table.cpp
trap 'rm -f "$out.new"' EXIT

# Every sequence on a line of its own: the 23940 two-byte ones, then the 39420 four-byte ones in
# order. iconv -c drops a sequence it refuses whole, which leaves its line empty.
awk 'BEGIN {
    for (lead = 129; lead <= 254; lead++)
        for (trail = 64; trail <= 254; trail++)
            if (trail != 127)
                printf "%c%c\n", lead, trail
    n = 0
    for (a = 129; a <= 132; a++)
        for (b = 48; b <= 57; b++)
            for (c = 129; c <= 254; c++)
                for (d = 48; d <= 57; d++)
                    if (n++ < 39420)
                        printf "%c%c%c%c\n", a, b, c, d
}' | iconv -c -f GB18030 -t UTF-32BE | od -An -v -tx4 --endian=big |
    awk -v former="$FORMER_FOUR_BYTE" '
function hex(s,    i, v) {
    v = 0
    s = tolower(s)
    for (i = 1; i <= length(s); i++)
        v = v * 16 + index("0123456789abcdef", substr(s, i, 1)) - 1
    return v
}
# The number of a four-byte sequence among the 39420, from its hex digits.
function linear(s,    v) {
    v = (hex(substr(s, 1, 2)) - 129) * 10 + hex(substr(s, 3, 2)) - 48
    return (v * 126 + hex(substr(s, 5, 2)) - 129) * 10 + hex(substr(s, 7, 2)) - 48
}
function fail(message) {
    print "gen-gb18030-table.sh: " message > "/dev/stderr"
    failed = 1
    exit 1
}
BEGIN {
    count = split(former, rows, "\n")
    for (r = 1; r <= count; r++) {
        split(rows[r], f, " ")
        for (k = 0; k < f[3]; k++)
            fixed[linear(f[1]) + k] = hex(f[2]) + k
    }
    lines = 0
    words = 0
}
{
    for (i = 1; i <= NF; i++) {
        if ($i != "0000000a") {
            word = $i
            words++
            continue
        }
        if (words > 1)
            fail("line " lines " gave more than one character")
        character = words ? hex(word) : -1
        if (words && (character < 128 || character > 1114111 ||
                      (character >= 55296 && character < 57344)))
            fail("line " lines " gave U+" word)
        if (lines < 23940) {
            if (character < 0)
                fail("iconv refuses two-byte sequence " lines)
            if (character > 65535) {
                # Beyond the BMP: a surrogate code unit, which is no character, stands for it.
                two[lines] = 55296 + beyond
                beyondBmp[beyond++] = character
            } else {
                two[lines] = character
            }
        } else {
            if (character > 65535)
                fail("four-byte sequence " lines - 23940 " gave U+" word)
            n = lines - 23940
            if (character < 0) {
                if (!(n in fixed))
                    fail("iconv refuses four-byte sequence " n)
                character = fixed[n]
                used++
            } else if (n in fixed) {
                fail("iconv decodes four-byte sequence " n ", listed as refused")
            }
            four[n] = character
        }
        lines++
        words = 0
    }
}
END {
    if (failed)
        exit 1
    if (lines != 23940 + 39420 || used != 18)
        fail("expected 63360 sequences and 18 refused, got " lines " and " used + 0)
    print "// The GB18030 tables of store/Gb18030.cpp (see store/Gb18030Table.h), written by"
    print "// scripts/gen-gb18030-table.sh from glibc'"'"'s iconv. Do not edit: run the script."
    print "// clang-format off"
    print "#include \"store/Gb18030Table.h\""
    print ""
    print "namespace morvelin::gb18030 {"
    print ""
    print "const char16_t kTwoByte[kTwoByteCount] = {"
    for (k = 0; k < 23940; k++)
        printf "%s0x%04X,%s", (k % 16 ? " " : "    "), two[k], (k % 16 == 15 || k == 23939 ? "\n" : "")
    print "};"
    print ""
    print "const char32_t kTwoByteBeyondBmp[] = {"
    for (k = 0; k < beyond; k++)
        printf "%s0x%05X,%s", (k % 8 ? " " : "    "), beyondBmp[k], (k % 8 == 7 || k == beyond - 1 ? "\n" : "")
    print "};"
    printf "const std::size_t kTwoByteBeyondBmpCount = %d;\n", beyond
    print ""
    print "const FourByteRange kFourByteBmp[] = {"
    ranges = 0
    for (k = 0; k < 39420; k++) {
        if (k > 0 && four[k] == four[k - 1] + 1)
            continue
        printf "%s{%d, 0x%04X},%s", (ranges % 6 ? " " : "    "), k, four[k], (ranges % 6 == 5 ? "\n" : "")
        ranges++
    }
    if (ranges % 6)
        printf "\n"
    print "};"
    printf "const std::size_t kFourByteBmpCount = %d;\n", ranges
    print ""
    print "}  // namespace morvelin::gb18030"
}' >"$out.new"
mv "$out.new" "$out"
echo "wrote $out"
