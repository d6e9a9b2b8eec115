#include "xml/XMLentities.h"

#include <array>

const XMLentities &XMLentities::sharedInstance()
{
    static const XMLentities table;
    return table;
}

XMLentities::XMLentities()
{
    m_entities.reserve(128);
    m_entities.insert(QStringLiteral("quot"), 34);
    m_entities.insert(QStringLiteral("amp"), 38);
    m_entities.insert(QStringLiteral("apos"), 39);
    m_entities.insert(QStringLiteral("lt"), 60);
    m_entities.insert(QStringLiteral("gt"), 62);

    // Latin-1: the n-th name stands for 160 + n. 160 itself (nbsp) is left out on purpose.
    static constexpr std::array<const char *, 95> latin1
        = {"iexcl",  "cent",   "pound",  "curren", "yen",    "brvbar", "sect",   "uml",    "copy",
           "ordf",   "laquo",  "not",    "shy",    "reg",    "macr",   "deg",    "plusmn", "sup2",
           "sup3",   "acute",  "micro",  "para",   "middot", "cedil",  "sup1",   "ordm",   "raquo",
           "frac14", "frac12", "frac34", "iquest", "Agrave", "Aacute", "Acirc",  "Atilde", "Auml",
           "Aring",  "AElig",  "Ccedil", "Egrave", "Eacute", "Ecirc",  "Euml",   "Igrave", "Iacute",
           "Icirc",  "Iuml",   "ETH",    "Ntilde", "Ograve", "Oacute", "Ocirc",  "Otilde", "Ouml",
           "times",  "Oslash", "Ugrave", "Uacute", "Ucirc",  "Uuml",   "Yacute", "THORN",  "szlig",
           "agrave", "aacute", "acirc",  "atilde", "auml",   "aring",  "aelig",  "ccedil", "egrave",
           "eacute", "ecirc",  "euml",   "igrave", "iacute", "icirc",  "iuml",   "eth",    "ntilde",
           "ograve", "oacute", "ocirc",  "otilde", "ouml",   "divide", "oslash", "ugrave", "uacute",
           "ucirc",  "uuml",   "yacute", "thorn",  "yuml"};
    for (std::size_t i = 0; i < latin1.size(); ++i)
        m_entities.insert(QString::fromLatin1(latin1[i]), char32_t(161 + i));

    static constexpr std::array<std::pair<const char *, char32_t>, 27> punctuation = {{
        {"ensp", 8194},   {"emsp", 8195},   {"thinsp", 8201}, {"zwnj", 8204},   {"zwj", 8205},
        {"lrm", 8206},    {"rlm", 8207},    {"ndash", 8211},  {"mdash", 8212},  {"lsquo", 8216},
        {"rsquo", 8217},  {"sbquo", 8218},  {"ldquo", 8220},  {"rdquo", 8221},  {"bdquo", 8222},
        {"dagger", 8224}, {"Dagger", 8225}, {"bull", 8226},   {"hellip", 8230}, {"permil", 8240},
        {"prime", 8242},  {"Prime", 8243},  {"lsaquo", 8249}, {"rsaquo", 8250}, {"oline", 8254},
        {"frasl", 8260},  {"euro", 8364},
    }};
    for (const auto &[name, code] : punctuation)
        m_entities.insert(QString::fromLatin1(name), code);
}
