#include "xml/HTMLText.h"

#include <gtest/gtest.h>

using namespace Qt::StringLiterals;

// Both forms escape the three characters that make markup, wherever they stand, and nothing
// else: quotes, line ends, references already written and characters beyond ASCII stay.
TEST(HTMLText, PlainTextBecomesHTMLThatShowsTheSameText)
{
    const struct
    {
        QString text;
        QString html;
    } cases[] = {
        {u""_s, u""_s},
        {u"plain words"_s, u"plain words"_s},
        {u"<"_s, u"&lt;"_s},
        {u"<b>&</b>"_s, u"&lt;b&gt;&amp;&lt;/b&gt;"_s},
        {u"&lt; stays a text"_s, u"&amp;lt; stays a text"_s},
        {u"\"quoted\" 'and'\nbroken – ☕ >"_s, u"\"quoted\" 'and'\nbroken – ☕ &gt;"_s},
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(c.text.toStdString());
        EXPECT_EQ(HTMLText::fromPlainText(c.text).toStdString(), c.html.toStdString());
        QByteArray utf8 = "kept:";
        HTMLText::appendFromPlainText(utf8, c.text.toUtf8());
        EXPECT_EQ(utf8.toStdString(), "kept:" + c.html.toStdString());
    }
}
