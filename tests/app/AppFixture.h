#pragma once

#include "platform/ScriptedAlertService.h"

#include <QTemporaryDir>
#include <QVariantMap>
#include <gtest/gtest.h>
#include <memory>

class Controller;
class MemoryDefaultsStore;
class Vellumcast;

// A clean home folder, an in-memory settings store and scripted alerts for every test; the
// application is started the way main() starts it, minus the desktop services.
class AppFixture : public ::testing::Test
{
protected:
    void SetUp() override;
    void TearDown() override;

    // Makes a new Controller and runs the start-up with the given documents.
    Controller &startApplication(const QStringList &files = {});
    // Starts the application with the wizard's offer declined; the window, no alerts kept.
    Vellumcast &startWindow();
    // Waits until the wizard has been offered, when the start shows the sample feed alone and a
    // wizard is installed; otherwise a moment.
    void awaitWizardOffer();
    // Starts the application (declining the wizard), opens the text saved as a feed file in its
    // window, shows the window and makes it active; the alerts so far are forgotten. A text that
    // is no feed fails the test.
    Vellumcast &openInWindow(const QByteArray &text);
    // Quits the running application (window, settings, transfer layer) and forgets it.
    void stopApplication();

    QString home() const { return m_home.path(); }
    QString userFolder() const;
    MemoryDefaultsStore &store() const;
    // Writes a file, making its folders.
    static void writeFile(const QString &path, const QByteArray &contents);
    static QByteArray readFile(const QString &path);
    static QByteArray smallFeed(const QString &title);

    std::shared_ptr<ScriptedAlertService> alerts;
    std::unique_ptr<Controller> controller;

private:
    QTemporaryDir m_home;
    QByteArray m_savedHome;
};
