#pragma once

#include <QByteArray>
#include <QString>

// The strictest reading a feed we write can meet: libxml2 with no recovery, nothing loaded from
// outside, and every namespace error or warning taken as fatal. Tests and the writer's fuzz
// target hold every written document to it.
namespace StrictXML {

// "" when the document passes; otherwise the first complaint with its line.
QString problem(const QByteArray &document);

} // namespace StrictXML
