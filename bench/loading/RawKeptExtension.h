#pragma once

#include "model/VLXLogic.h"
#include "model/extensionNSRaw.h"
#include "model/knownNamespaces.h"
#include "model/rawXMLText.h"
#include "xml/vlxXMLDOM.h"

#include <QStringMatcher>
#include <type_traits>

// What the loading benchmarks compare a namespace class with: the namespace's elements kept as
// raw XML, under the namespace's own identity (canonical prefix, URI, display name and
// well-supported flag, exactly as the class answers them). Elements read under another prefix
// the document declared for the namespace are kept under the canonical prefix, which is the one
// the feed writer declares. Base is the placement base (channel, item or image extension).
// Registered in place of the class, it stands for reading and writing the namespace at the cost
// of text alone.
template<class Base> class RawKeptExtension : public Base
{
public:
    RawKeptExtension(KnownNamespace ns, ExtensionPlace place) : m_ns(ns), m_place(place)
    {
        Base::setExtensionName(knownNamespaces::prefix(ns));
        Base::setDTDURL(knownNamespaces::uri(ns));
        Base::setExtensionProcessingName(knownNamespaces::prefix(ns));
        Base::setStoredWellSupported(true);
        Base::startTrackingPlainElements();
    }

    KnownNamespace knownNamespace() const { return m_ns; }

    QString extensionName() const override { return knownNamespaces::prefix(m_ns); }
    QString DTDURL() const override { return knownNamespaces::uri(m_ns); }
    // The namespace's own URI always stands.
    void setDTDURL(const QString &url) override { Q_UNUSED(url); }
    bool wellSupported() const override { return true; }
    QString displayName() const override { return knownNamespaces::displayName(m_ns, m_place); }

    int parseXMLNodeIfMine(const vlxXMLNode *node) override
    {
        const int kind = vlxXMLDOM::kindOfNode(node);
        if (kind == vlxXMLDOM::Comment || kind == vlxXMLDOM::Whitespace)
            return 0;
        const auto form = Base::formOfElement(node, Base::extensionProcessingName());
        const bool plain = form == Base::ElementForm::Plain;
        Base::addParsedElement(canonical(node, form != Base::ElementForm::Other), plain);
        return 0;
    }

protected:
    RawKeptExtension(const RawKeptExtension &) = default;
    extensionNSRaw *newCopy() const override { return new RawKeptExtension(*this); }

private:
    // A flat element is a plain one or one that holds just a CDATA section.
    typename Base::KeptText canonical(const vlxXMLNode *node, bool flat)
    {
        QString text = Base::keptTextOfNode(node);
        // Pretty-printing breaks the line after every "</item>", even inside a CDATA section.
        static const QStringMatcher kDeclaration(u"xmlns");
        static const QStringMatcher kItemEnd(u"</item>");
        if (flat && kDeclaration.indexIn(text) < 0 && kItemEnd.indexIn(text) < 0) {
            // Compacting and pretty-printing leave a flat element as it is: only the prefix of
            // its start and end tags changes.
            const QString from = Base::extensionProcessingName();
            const QString to = extensionName();
            if (from != to) {
                const qsizetype close = text.lastIndexOf(QLatin1String("</"));
                if (close > 0)
                    text.replace(close + 2, from.size(), to);
                text.replace(1, from.size(), to);
            }
            // On one line it is written at any level by indenting that line.
            const bool oneLine = !text.contains(u'\n') && !text.contains(u'\r');
            return {text, oneLine ? std::optional<int>(0) : std::nullopt};
        }
        text = rawXMLText::compact(text);
        return Base::laidOut(
            rawXMLText::renamePrefix(text, Base::extensionProcessingName(), extensionName()));
    }

    KnownNamespace m_ns;
    ExtensionPlace m_place;
};
