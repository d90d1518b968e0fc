#include "app/user_guide.h"

#include <QCoreApplication>
#include <QDesktopServices>
#include <QDir>
#include <QFileInfo>
#include <QMessageBox>
#include <QUrl>

QStringList user_guide::places()
{
    const QDir program(QCoreApplication::applicationDirPath());
    return {QDir::cleanPath(program.filePath(QStringLiteral("../share/doc/dornvale/user-guide.html"))),
            QDir::cleanPath(program.filePath(QStringLiteral("docs/user-guide.html")))};
}

QString user_guide::path()
{
    for (const QString& place : places())
        if (QFileInfo(place).isFile())
            return place;
    return QString();
}

void user_guide::open(QWidget* parent)
{
    const QString file = path();
    const QString title = QCoreApplication::translate("user_guide", "User Guide");
    if (file.isEmpty()) {
        QStringList shown;
        for (const QString& place : places())
            shown << QDir::toNativeSeparators(place);
        QMessageBox::warning(parent, title,
                             QCoreApplication::translate("user_guide",
                                                         "The user guide is not installed; it was looked "
                                                         "for at:\n%1")
                                 .arg(shown.join(QLatin1Char('\n'))));
        return;
    }
    if (!QDesktopServices::openUrl(QUrl::fromLocalFile(file)))
        QMessageBox::warning(parent, title,
                             QCoreApplication::translate("user_guide",
                                                         "No program to show \"%1\" was found: open it in "
                                                         "a web browser.")
                                 .arg(QDir::toNativeSeparators(file)));
}
