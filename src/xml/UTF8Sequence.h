#pragma once

// The length of the well-formed UTF-8 character that starts at `p` (a lead byte of 0x80 or
// more), or 0 when the bytes there are no such character: an overlong form, a surrogate, a code
// point past U+10FFFF, a missing or wrong continuation byte, or a character cut off by `end`.
inline int utf8SequenceLength(const unsigned char *p, const unsigned char *end)
{
    const unsigned char lead = *p;
    int length = 0;
    unsigned char low = 0x80, high = 0xBF;
    if (lead >= 0xC2 && lead <= 0xDF) {
        length = 2;
    } else if (lead >= 0xE0 && lead <= 0xEF) {
        length = 3;
        low = lead == 0xE0 ? 0xA0 : 0x80;
        high = lead == 0xED ? 0x9F : 0xBF;
    } else if (lead >= 0xF0 && lead <= 0xF4) {
        length = 4;
        low = lead == 0xF0 ? 0x90 : 0x80;
        high = lead == 0xF4 ? 0x8F : 0xBF;
    } else {
        return 0;
    }
    if (end - p < length || p[1] < low || p[1] > high)
        return 0;
    for (int k = 2; k < length; ++k) {
        if ((p[k] & 0xC0) != 0x80)
            return 0;
    }
    return length;
}
