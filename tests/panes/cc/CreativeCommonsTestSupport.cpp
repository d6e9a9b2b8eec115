#include "CreativeCommonsTestSupport.h"

#include "extensions/cc/CreativeCommonsLibrary.h"
#include "io/CURLHandle.h"
#include "platform/DefaultsStore.h"

#include <QApplication>
#include <QComboBox>
#include <QTest>
#include <QTimer>
#include <QUrl>

void CreativeCommonsFixture::SetUp()
{
    AppFixture::SetUp();
    CURLHandle::curlHelloSignature(CURLHandle::defaultSignature(), true);
}

void CreativeCommonsFixture::TearDown()
{
    // Dialogs a failed test left open would block the next one.
    for (QWidget *widget : QApplication::topLevelWidgets()) {
        if (auto *dialog = qobject_cast<QDialog *>(widget); dialog && dialog->isVisible())
            dialog->reject();
    }
    AppFixture::TearDown();
    CURLHandle::curlGoodbye();
}

void CreativeCommonsFixture::startService(const QStringList &arguments)
{
    ASSERT_TRUE(service.startScript(QStringLiteral("cc_service.py"), arguments))
        << service.errorString().toStdString();
    CreativeCommonsLibrary::store().setObject(service.url(QStringLiteral("http"), QString()),
                                              CreativeCommonsLibrary::kServiceURLKey);
}

QStringList CreativeCommonsFixture::postedAnswers() const
{
    QStringList bodies;
    for (const QString &line : service.log().split(u'\n')) {
        if (!line.startsWith(QLatin1String("POST-BODY ")))
            continue;
        QString body = line.mid(10);
        if (!body.startsWith(QLatin1String("answers=")))
            continue;
        body = body.mid(8).replace(u'+', u' ');
        bodies << QUrl::fromPercentEncoding(body.toLatin1());
    }
    return bodies;
}

QStringList CreativeCommonsFixture::requests() const
{
    QStringList lines;
    for (const QString &line : service.log().split(u'\n')) {
        if (line.startsWith(QLatin1String("GET \"")) || line.startsWith(QLatin1String("POST \"")))
            lines << line;
    }
    return lines;
}

QDialog *CreativeCommonsFixture::shownDialog(const QString &name)
{
    for (QWidget *widget : QApplication::topLevelWidgets()) {
        if (widget->objectName() == name && widget->isVisible())
            return qobject_cast<QDialog *>(widget);
    }
    for (QWidget *widget : QApplication::allWidgets()) {
        if (widget->objectName() == name && widget->isVisible() && widget->isWindow())
            return qobject_cast<QDialog *>(widget);
    }
    return nullptr;
}

void CreativeCommonsFixture::whenShown(const QString &name, std::function<void(QDialog *)> action)
{
    auto *timer = new QTimer;
    timer->setInterval(20);
    QObject::connect(timer, &QTimer::timeout, [timer, name, action] {
        QDialog *dialog = shownDialog(name);
        if (!dialog)
            return;
        timer->stop();
        timer->deleteLater();
        action(dialog);
    });
    timer->start();
}

void CreativeCommonsFixture::choose(QComboBox *popUp, const QString &text)
{
    const int index = popUp->findText(text);
    ASSERT_GE(index, 0) << text.toStdString();
    choose(popUp, index);
}

void CreativeCommonsFixture::choose(QComboBox *popUp, int index)
{
    popUp->setCurrentIndex(index);
    emit popUp->activated(index);
}

bool CreativeCommonsFixture::waitFor(const std::function<bool()> &condition, int timeoutMs)
{
    return QTest::qWaitFor(condition, timeoutMs);
}
