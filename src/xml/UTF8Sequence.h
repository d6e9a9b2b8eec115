#pragma once

// What a UTF-8 lead byte of 0x80 or more asks of the character it starts: its length in bytes
// and the range of its second byte (the later ones are 0x80 to 0xBF), which shuts out overlong
// forms, surrogates and code points past U+10FFFF. Length 0: no character starts with it.
struct Utf8Lead
{
    int length = 0;
    unsigned char low = 0x80;
    unsigned char high = 0xBF;
};

inline Utf8Lead utf8Lead(unsigned char lead)
{
    if (lead >= 0xC2 && lead <= 0xDF)
        return {2, 0x80, 0xBF};
    using Byte = unsigned char;
    if (lead >= 0xE0 && lead <= 0xEF)
        return {3, Byte(lead == 0xE0 ? 0xA0 : 0x80), Byte(lead == 0xED ? 0x9F : 0xBF)};
    if (lead >= 0xF0 && lead <= 0xF4)
        return {4, Byte(lead == 0xF0 ? 0x90 : 0x80), Byte(lead == 0xF4 ? 0x8F : 0xBF)};
    return {};
}

// The length of the well-formed UTF-8 character that starts at `p` (a lead byte of 0x80 or
// more), or 0 when the bytes there are no such character: an overlong form, a surrogate, a code
// point past U+10FFFF, a missing or wrong continuation byte, or a character cut off by `end`.
inline int utf8SequenceLength(const unsigned char *p, const unsigned char *end)
{
    const Utf8Lead lead = utf8Lead(*p);
    if (lead.length == 0 || end - p < lead.length || p[1] < lead.low || p[1] > lead.high)
        return 0;
    for (int k = 2; k < lead.length; ++k) {
        if ((p[k] & 0xC0) != 0x80)
            return 0;
    }
    return lead.length;
}
