#pragma once

#include <QString>

// Where the program keeps the user's files and how it names itself to servers: facts of the
// program that the document, the transfers and the window share (the application delegate
// answers them too).
class ApplicationIdentity
{
public:
    ApplicationIdentity() = delete;

    // "Documents/Vellumcast" in the home folder.
    static QString userFolder();
    // "Vellumcast Mac v<major.minor> (<version>)": the text the transfer layer names itself with,
    // also the user agent of every fetch.
    static QString signature();
};
