// Activity plot dialog: form, title, image in the scroll area, export through the save dialog.
#include "views/activity_plot.h"
#include "views/activity_plot_dialog.h"
#include "data/burst.h"
#include "data/burst_space.h"
#include "support/test_support.h"

#include <QDialogButtonBox>
#include <QDir>
#include <QFile>
#include <QFileDialog>
#include <QImageReader>
#include <QLabel>
#include <QLineEdit>
#include <QMessageBox>
#include <QPushButton>
#include <QScrollArea>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>

#include <iostream>
#include <memory>
#include <sstream>
#include <vector>

namespace {

constexpr qint64 march_1 = 1709251200000; // 2024-03-01T00:00:00Z

// Answers the modal dialogs an export brings up: the save dialog gets `answer` typed into its file
// name field and accepted (an empty answer cancels it); a message box is recorded and closed.
class export_driver : public QObject
{
public:
    explicit export_driver(QString answer) : answer_(std::move(answer))
    {
        connect(&timer_, &QTimer::timeout, this, &export_driver::poll);
        timer_.start(20);
    }

    QString file_dialog_title;
    QString proposed_name;
    QStringList messages;
    QString message_title;

private:
    void poll()
    {
        QWidget* w = QApplication::activeModalWidget();
        if (auto* fd = qobject_cast<QFileDialog*>(w)) {
            if (fd->isVisible() && file_dialog_title.isEmpty()) {
                file_dialog_title = fd->windowTitle();
                auto* edit = fd->findChild<QLineEdit*>(QStringLiteral("fileNameEdit"));
                QVERIFY(edit);
                proposed_name = edit->text();
                if (answer_.isEmpty()) {
                    fd->reject();
                } else {
                    edit->setText(answer_);
                    QMetaObject::invokeMethod(fd, "accept");
                }
            }
        } else if (auto* box = qobject_cast<QMessageBox*>(w)) {
            message_title = box->windowTitle();
            messages << box->text();
            box->close();
        }
    }

    QString answer_;
    QTimer timer_;
};

std::unique_ptr<burst_space> sample_space()
{
    std::vector<std::unique_ptr<burst>> list;
    for (int k = 0; k < 50; ++k) {
        std::vector<float> v{0.f, static_cast<float>(k), 0.f};
        list.push_back(std::make_unique<burst>(march_1 + k * 1800000, 10.0, 3, v, v, v));
    }
    list.push_back(std::make_unique<burst>(march_1 + 2 * 86400000 + 5, 10.0, 1, std::vector<float>{1},
                                           std::vector<float>{1}, std::vector<float>{1}));
    std::ostringstream sink;
    auto* old = std::cerr.rdbuf(sink.rdbuf());
    auto space = std::make_unique<burst_space>(list);
    std::cerr.rdbuf(old);
    return space;
}

QPushButton* export_button(activity_plot_dialog& dialog)
{
    auto* box = dialog.findChild<QDialogButtonBox*>(QStringLiteral("buttonBox"));
    for (QAbstractButton* b : box->buttons())
        if (b->text() == QStringLiteral("Export"))
            return qobject_cast<QPushButton*>(b);
    return nullptr;
}

} // namespace

class test_activity_plot_dialog : public QObject
{
    Q_OBJECT

private slots:
    void init();
    void cleanup();

    void form_title_and_image();
    void close_hides();
    void export_proposed_name_as_png();
    void export_jpeg();
    void cancel_saves_nothing();
    void failed_save_warns_data();
    void failed_save_warns();
    void span_too_long_shows_the_reason();

private:
    std::unique_ptr<burst_space> space;
    std::unique_ptr<QWidget> parent;
    std::unique_ptr<QTemporaryDir> dir;
    QString old_cwd;
};

void test_activity_plot_dialog::init()
{
    space = sample_space();
    parent = std::make_unique<QWidget>();
    dir = std::make_unique<QTemporaryDir>();
    QVERIFY(dir->isValid());
    old_cwd = QDir::currentPath();
    QDir::setCurrent(dir->path());
}

void test_activity_plot_dialog::cleanup()
{
    QDir::setCurrent(old_cwd);
    parent.reset();
    dir.reset();
}

void test_activity_plot_dialog::form_title_and_image()
{
    const QString file = QStringLiteral("/data/tags/1234_acc.txt");
    activity_plot_dialog dialog(parent.get(), *space, file);
    QCOMPARE(dialog.objectName(), QStringLiteral("activity_plot_dialog"));
    QCOMPARE(dialog.windowTitle(), QStringLiteral("/data/tags/1234_acc.txt - Activity Plot - Dornvale"));
    QCOMPARE(dialog.parentWidget(), parent.get());
    QCOMPARE(dialog.size(), QSize(400, 600));

    // Three days of data: 512 x (3 + 4) * 16.
    QCOMPARE(dialog.plot_image().size(), QSize(512, 112));
    auto* scroll = dialog.findChild<QScrollArea*>(QStringLiteral("scrollArea"));
    QVERIFY(scroll);
    QVERIFY(scroll->widgetResizable());
    QVERIFY(!dialog.findChild<QWidget*>(QStringLiteral("scrollAreaWidgetContents")));
    auto* label = qobject_cast<QLabel*>(scroll->widget());
    QVERIFY(label);
    QCOMPARE(label->pixmap()->size(), QSize(512, 112));
    QCOMPARE(label->pixmap()->toImage().convertToFormat(QImage::Format_RGB888), dialog.plot_image());

    auto* box = dialog.findChild<QDialogButtonBox*>(QStringLiteral("buttonBox"));
    QVERIFY(box);
    QCOMPARE(box->orientation(), Qt::Horizontal);
    QVERIFY(box->button(QDialogButtonBox::Close));
    QPushButton* exp = export_button(dialog);
    QVERIFY(exp);
    QCOMPARE(box->buttonRole(exp), QDialogButtonBox::ActionRole);
    QCOMPARE(box->buttons().size(), 2);
}

void test_activity_plot_dialog::close_hides()
{
    auto* dialog = new activity_plot_dialog(parent.get(), *space, QStringLiteral("f.csv"));
    dialog->show();
    QVERIFY(QTest::qWaitForWindowExposed(dialog));
    QPointer<activity_plot_dialog> alive(dialog);
    dialog->findChild<QDialogButtonBox*>()->button(QDialogButtonBox::Close)->click();
    QVERIFY(!dialog->isVisible());
    QCoreApplication::processEvents();
    QVERIFY(alive); // stays a child of its window until that goes
}

void test_activity_plot_dialog::export_proposed_name_as_png()
{
    activity_plot_dialog dialog(parent.get(), *space, QStringLiteral("f.csv"));
    dialog.show();
    export_driver driver(QStringLiteral("activity-plot.png"));
    {
        test_support::streams_capture streams;
        test_support::debug_capture debug;
        export_button(dialog)->click();
        QCOMPARE(streams.stdout_text(), QStringLiteral("export image!\n"));
        const QStringList names = debug.lines().filter(QStringLiteral("filename: "));
        QCOMPARE(names.size(), 1);
        QVERIFY2(names.first().startsWith(QStringLiteral("filename: ")), qPrintable(names.first()));
        QVERIFY2(names.first().endsWith(QStringLiteral("activity-plot.png\"")), qPrintable(names.first()));
    }

    QCOMPARE(driver.file_dialog_title, QStringLiteral("Save Activity Plot Image"));
    QCOMPARE(driver.proposed_name, QStringLiteral("activity-plot.png"));
    QVERIFY2(driver.messages.isEmpty(), qPrintable(driver.messages.join('\n')));
    const QString path = dir->filePath(QStringLiteral("activity-plot.png"));
    QImageReader reader(path);
    QCOMPARE(reader.format(), QByteArray("png"));
    const QImage saved = reader.read();
    QCOMPARE(saved.size(), QSize(512, 112));
    QCOMPARE(saved.convertToFormat(QImage::Format_RGB888), dialog.plot_image());
}

void test_activity_plot_dialog::export_jpeg()
{
    activity_plot_dialog dialog(parent.get(), *space, QStringLiteral("f.csv"));
    dialog.show();
    const QString path = dir->filePath(QStringLiteral("plot.JPG"));
    export_driver driver(path);
    export_button(dialog)->click();

    QVERIFY2(driver.messages.isEmpty(), qPrintable(driver.messages.join('\n')));
    QImageReader reader(path);
    QCOMPARE(reader.format(), QByteArray("jpeg"));
    QCOMPARE(reader.size(), QSize(512, 112));
}

void test_activity_plot_dialog::cancel_saves_nothing()
{
    activity_plot_dialog dialog(parent.get(), *space, QStringLiteral("f.csv"));
    dialog.show();
    export_driver driver{QString()};
    {
        test_support::streams_capture streams;
        test_support::debug_capture debug;
        export_button(dialog)->click();
        QCOMPARE(streams.stdout_text(), QStringLiteral("export image!\n"));
        QCOMPARE(debug.lines().filter(QStringLiteral("filename: ")).size(), 1);
    }
    QCOMPARE(driver.file_dialog_title, QStringLiteral("Save Activity Plot Image"));
    QVERIFY(driver.messages.isEmpty());
    QVERIFY(QDir(dir->path()).entryList(QDir::Files).isEmpty());
}

void test_activity_plot_dialog::failed_save_warns_data()
{
    QTest::addColumn<QString>("name");
    QTest::addColumn<QString>("reason");
    QTest::newRow("unknown suffix") << QStringLiteral("plot.xyz") << QStringLiteral("suffix");
    QTest::newRow("no suffix") << QStringLiteral("plot") << QStringLiteral("suffix");
    QTest::newRow("folder cannot be written") << QStringLiteral("file/plot.png") << QString();
}

void test_activity_plot_dialog::failed_save_warns()
{
    QFETCH(QString, name);
    QFETCH(QString, reason);
    // "file" is a regular file, so nothing can be created beneath it.
    {
        QFile blocker(dir->filePath(QStringLiteral("file")));
        QVERIFY(blocker.open(QIODevice::WriteOnly));
        blocker.write("keep");
    }
    const QString path = dir->filePath(name);
    activity_plot_dialog dialog(parent.get(), *space, QStringLiteral("f.csv"));
    dialog.show();
    export_driver driver(path);
    export_button(dialog)->click();

    QCOMPARE(driver.messages.size(), 1);
    QCOMPARE(driver.message_title, QStringLiteral("Export failed"));
    const QString text = driver.messages.first();
    const QString prefix = QStringLiteral("The activity plot could not be saved to \"%1\": ")
                               .arg(QDir::toNativeSeparators(path));
    QVERIFY2(text.startsWith(prefix), qPrintable(text));
    QVERIFY2(text.size() > prefix.size() + 1 && text.contains(reason), qPrintable(text));
    QVERIFY(!QFile::exists(path));
    QFile blocker(dir->filePath(QStringLiteral("file")));
    QVERIFY(blocker.open(QIODevice::ReadOnly));
    QCOMPARE(blocker.readAll(), QByteArray("keep"));
}

void test_activity_plot_dialog::span_too_long_shows_the_reason()
{
    std::vector<std::unique_ptr<burst>> list;
    for (const qint64 t : {qint64(0), qint64(4102444800000)}) // 1970-01-01 and 2100-01-01
        list.push_back(std::make_unique<burst>(t, 10.0, 1, std::vector<float>{1}, std::vector<float>{1},
                                               std::vector<float>{1}));
    std::ostringstream sink;
    auto* old = std::cerr.rdbuf(sink.rdbuf());
    const burst_space wide(list);
    std::cerr.rdbuf(old);

    activity_plot_dialog dialog(parent.get(), wide, QStringLiteral("f.csv"));
    QCOMPARE(dialog.windowTitle(), QStringLiteral("f.csv - Activity Plot - Dornvale"));
    QVERIFY(dialog.plot_image().isNull());
    auto* label = qobject_cast<QLabel*>(dialog.findChild<QScrollArea*>(QStringLiteral("scrollArea"))->widget());
    QVERIFY(label);
    QCOMPARE(label->text(), QStringLiteral("The activity plot is not drawn: the bursts span 47483 days (1970-01-01 "
                                           "to 2100-01-01), more than 20 years (7305 days). Check the file for "
                                           "wrong start times."));
    QVERIFY(!label->pixmap() || label->pixmap()->isNull());
    QPushButton* exp = export_button(dialog);
    QVERIFY(exp);
    QVERIFY(!exp->isEnabled());
}

QTEST_MAIN(test_activity_plot_dialog)
#include "test_activity_plot_dialog.moc"
