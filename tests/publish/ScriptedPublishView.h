#pragma once

#include "publish/PublishView.h"

#include <QHash>
#include <QList>
#include <QStringList>

// The publish window as a test sees it: check boxes and fields it sets up, and a record of what
// the publisher reported.
class ScriptedPublishView : public PublishView
{
public:
    bool isOn(Toggle toggle) const override { return toggles.value(toggle, false); }
    void setOn(Toggle toggle, bool on) override { toggles.insert(toggle, on); }
    QString text(Field field) const override { return fields.value(field); }
    void setText(Field field, const QString &text) override { fields.insert(field, text); }
    bool isSectionOpen(Table table) const override { return sections.value(table, false); }
    void setSectionOpen(Table table, bool open) override { sections.insert(table, open); }
    void reloadTable(Table table) override { reloads.append(table); }
    void setStatus(const QString &text) override { statuses.append(text); }
    void setProgress(const Progress &p) override { progress.append(p); }
    void setLastPublished(Stamp stamp, const QString &text) override { stamps.insert(stamp, text); }
    void setRunning(bool on) override
    {
        running = on;
        runningChanges.append(on);
    }
    void transferLogCleared() override { log.clear(); }
    void transferLogAppended(const QString &text) override { log += text; }
    void showAlertSheet(const Alert &alert) override
    {
        alerts.append(alert.title);
        alertStyles.append(alert.style);
    }
    void imageConversionEnded(bool anyImage) override { conversionEnded.append(anyImage); }
    void closeWindow() override { ++closed; }

    QString status() const { return statuses.isEmpty() ? QString() : statuses.last(); }

    QHash<Toggle, bool> toggles;
    QHash<Field, QString> fields;
    QHash<Table, bool> sections;
    QList<Table> reloads;
    QStringList statuses;
    QList<Progress> progress;
    QHash<Stamp, QString> stamps;
    bool running = false;
    QList<bool> runningChanges;
    QString log;
    QStringList alerts;
    QList<Alert::Style> alertStyles;
    QList<bool> conversionEnded;
    int closed = 0;
};
