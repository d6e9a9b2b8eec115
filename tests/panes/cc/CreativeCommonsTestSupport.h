#pragma once

#include "AppFixture.h"
#include "app/Controller.h"
#include "common/LocalServer.h"

#include <QDialog>
#include <QStringList>
#include <functional>

class QComboBox;

// Tests of the licence dialogs: a clean settings store and scripted alerts (AppFixture), the
// transfer layer started, and a stand-in licence service on the loopback whose address is the
// user default the creator reads.
class CreativeCommonsFixture : public AppFixture
{
protected:
    void SetUp() override;
    void TearDown() override;

    // Starts the stand-in service with the arguments and points the creator at it.
    void startService(const QStringList &arguments = {});

    // The bodies of the POSTs the service received, form-decoded ("answers=" taken off).
    QStringList postedAnswers() const;
    // The request lines the service logged.
    QStringList requests() const;

    // Runs the action once a visible dialog of that object name is up (while another modal run,
    // started after this call, waits for it).
    static void whenShown(const QString &name, std::function<void(QDialog *)> action);
    static QDialog *shownDialog(const QString &name);
    // Picks the item of the pop-up as the user would (it sends its activation).
    static void choose(QComboBox *popUp, const QString &text);
    static void choose(QComboBox *popUp, int index);
    static bool waitFor(const std::function<bool()> &condition, int timeoutMs = 15000);

    LocalServer service;
};
