// Activity plot dialog: form, title, the view in the scroll area, options and zoom, export of the
// picture and the data through the save dialog.
#include "data/model/activity_csv.h"
#include "views/activity/activity_plot.h"
#include "views/activity/activity_plot_dialog.h"
#include "views/activity/activity_plot_view.h"
#include "data/model/burst.h"
#include "data/model/burst_space.h"
#include "data/model/event_space.h"
#include "data/rhythm/rhythm_csv.h"
#include "data/rhythm/sun_schedule.h"
#include "support/burst_builder.h"
#include "support/shown_message.h"
#include "support/test_support.h"
#include "support/data_table.h"

#include <QBuffer>
#include <QCheckBox>
#include <QComboBox>
#include <QDialogButtonBox>
#include <QDir>
#include <QFile>
#include <QImageReader>
#include <QLabel>
#include <QLineEdit>
#include <QMessageBox>
#include <QPushButton>
#include <QScrollArea>
#include <QScrollBar>
#include <QSignalSpy>
#include <QPainter>
#include <QSpinBox>
#include <QStatusBar>
#include <QSvgRenderer>
#include <QTemporaryDir>
#include <QTest>

#include <cmath>
#include <iostream>
#include <memory>
#include <vector>

namespace {

constexpr qint64 march_1 = 1709251200000; // 2024-03-01T00:00:00Z

// Answers an export's save dialog with `answer` (empty: cancels it), noting what it proposed; a
// message box after it is answered and its text kept.
struct export_driver
{
    explicit export_driver(const QString& answer)
    {
        script
            .then(gui_test_support::choose_file(answer, {}, &file_dialog_title, &proposed_folder,
                                                &proposed_name))
            .then(gui_test_support::answer_message(QMessageBox::Ok, nullptr, &message));
    }

    QString file_dialog_title;
    QString proposed_name;
    QString proposed_folder;
    QString message;
    gui_test_support::modal_script script;
};

std::unique_ptr<burst_space> sample_space()
{
    std::vector<std::unique_ptr<burst>> list;
    // Burst k holds 0, k, 0 on every axis.
    test_support::add_bursts(list, 50, march_1, 1800000, 10.0, 3,
                             [](int b, int, int k) { return k == 1 ? static_cast<float>(b) : 0.f; });
    list.push_back(test_support::make_burst(march_1 + 2 * 86400000 + 5, 10.0, {1}, {1}, {1}));
    return test_support::space_of(std::move(list));
}

QPushButton* button(activity_plot_dialog& dialog, const QString& text)
{
    auto* box = dialog.findChild<QDialogButtonBox*>(QStringLiteral("buttonBox"));
    for (QAbstractButton* b : box->buttons())
        if (b->text() == text)
            return qobject_cast<QPushButton*>(b);
    return nullptr;
}

QPushButton* export_button(activity_plot_dialog& dialog)
{
    return button(dialog, QStringLiteral("Export"));
}

QPushButton* export_data_button(activity_plot_dialog& dialog)
{
    return button(dialog, QStringLiteral("Export Data…"));
}

QString status_text(activity_plot_dialog& dialog)
{
    return dialog.findChild<QStatusBar*>(QStringLiteral("statusBar"))->currentMessage();
}

QByteArray file_bytes(const QString& path)
{
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

} // namespace

class test_activity_plot_dialog : public QObject
{
    Q_OBJECT

private slots:
    void click_on_a_bin_gives_its_start_data();
    void click_on_a_bin_gives_its_start();
    void init();
    void cleanup();

    void form_title_and_image();
    void close_hides();
    void export_proposed_name_as_png();
    void proposed_names_beside_the_data_file();
    void export_vector_data();
    void export_vector();
    void export_values_as_csv();
    void failed_data_export_warns();
    void options_change_picture_and_numbers();
    void zoom_fits_or_enlarges();
    void view_draws_bins_axis_and_legend();
    void export_jpeg();
    void cancel_saves_nothing();
    void failed_save_warns_data();
    void failed_save_warns();
    void span_too_long_shows_the_reason();
    void sun_from_fixes_or_a_typed_position();
    void enter_in_the_position_applies_it_only();
    void export_figure_for_a_report();
    void data_export_writes_the_rhythm_figures_beside();

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
    auto* view = qobject_cast<activity_plot_view*>(scroll->widget());
    QVERIFY(view);
    QCOMPARE(view, dialog.view());
    QCOMPARE(view->zoom(), activity_plot_view::zoom_fit);
    // The default picture, all but the time it was generated.
    QImage plain;
    {
        test_support::debug_capture quiet;
        plain = activity_plot_image(*space, file);
    }
    QCOMPARE(dialog.plot_image().copy(0, 0, 512, 34), plain.copy(0, 0, 512, 34));
    QCOMPARE(dialog.plot_image().copy(0, 52, 512, 60), plain.copy(0, 52, 512, 60));

    auto* box = dialog.findChild<QDialogButtonBox*>(QStringLiteral("buttonBox"));
    QVERIFY(box);
    QCOMPARE(box->orientation(), Qt::Horizontal);
    QVERIFY(box->button(QDialogButtonBox::Close));
    QPushButton* exp = export_button(dialog);
    QVERIFY(exp);
    QCOMPARE(box->buttonRole(exp), QDialogButtonBox::ActionRole);
    QPushButton* data = export_data_button(dialog);
    QVERIFY(data);
    QCOMPARE(box->buttonRole(data), QDialogButtonBox::ActionRole);
    QCOMPARE(box->buttons().size(), 4);

    auto* zoom = dialog.findChild<QComboBox*>(QStringLiteral("zoomBox"));
    QVERIFY(zoom);
    QCOMPARE(zoom->count(), 3);
    QCOMPARE(zoom->itemText(0), QStringLiteral("Fit Width"));
    QCOMPARE(zoom->itemText(1), QStringLiteral("2×"));
    QCOMPARE(zoom->itemText(2), QStringLiteral("4×"));
    QCOMPARE(zoom->currentIndex(), 0);
    auto* twice = dialog.findChild<QCheckBox*>(QStringLiteral("doublePlotBox"));
    QVERIFY(twice);
    QCOMPARE(twice->text(), QStringLiteral("Double plot"));
    QVERIFY(!twice->isChecked());
    auto* offset = dialog.findChild<QSpinBox*>(QStringLiteral("utcOffsetBox"));
    QVERIFY(offset);
    QCOMPARE(offset->value(), 0);
    QCOMPARE(offset->minimum(), -720);
    QCOMPARE(offset->maximum(), 840);
    QCOMPARE(offset->suffix(), QStringLiteral(" min"));
    QVERIFY(dialog.options().is_default());
    QCOMPARE(status_text(dialog), QString());
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
    export_driver driver(QStringLiteral("f-activity.png"));
    {
        test_support::streams_capture streams;
        test_support::debug_capture debug;
        export_button(dialog)->click();
        QCOMPARE(streams.stdout_text(), QStringLiteral("export image!\n"));
        const QStringList names = debug.lines().filter(QStringLiteral("filename: "));
        QCOMPARE(names.size(), 1);
        QVERIFY2(names.first().startsWith(QStringLiteral("filename: ")), qPrintable(names.first()));
        QVERIFY2(names.first().endsWith(QStringLiteral("/f-activity.png\"")), qPrintable(names.first()));
    }

    // The save dialog opens in the data file's folder with the data file's name.
    QCOMPARE(driver.file_dialog_title, QStringLiteral("Save Activity Plot Image"));
    QCOMPARE(driver.proposed_name, QStringLiteral("f-activity.png"));
    QCOMPARE(driver.proposed_folder, QDir(dir->path()).canonicalPath());
    QVERIFY2(driver.message.isEmpty(), qPrintable(driver.message));
    const QString path = dir->filePath(QStringLiteral("f-activity.png"));
    QImageReader reader(path);
    QCOMPARE(reader.format(), QByteArray("png"));
    const QImage saved = reader.read();
    QCOMPARE(saved.size(), QSize(512, 112));
    QCOMPARE(saved.convertToFormat(QImage::Format_RGB888), dialog.plot_image());
    QCOMPARE(status_text(dialog), QStringLiteral("Activity plot saved to ") +
                                      QDir::toNativeSeparators(QFileInfo(path).canonicalFilePath()));
}

void test_activity_plot_dialog::proposed_names_beside_the_data_file()
{
    const QString folder = dir->filePath(QStringLiteral("tags"));
    QVERIFY(QDir().mkpath(folder));
    activity_plot_dialog dialog(parent.get(), *space, folder + QStringLiteral("/1234.acc.txt"));
    dialog.show();
    for (const auto& [which, name] : {std::make_pair(0, QStringLiteral("1234.acc-activity.png")),
                                      std::make_pair(1, QStringLiteral("1234.acc-activity.csv"))}) {
        export_driver driver{QString()};
        (which == 0 ? export_button(dialog) : export_data_button(dialog))->click();
        QCOMPARE(driver.proposed_name, name);
        QCOMPARE(driver.proposed_folder, QDir(folder).canonicalPath());
        QCOMPARE(driver.file_dialog_title, which == 0 ? QStringLiteral("Save Activity Plot Image")
                                                      : QStringLiteral("Save Activity Data"));
    }
    QVERIFY(QDir(folder).entryList(QDir::Files).isEmpty());
    QCOMPARE(status_text(dialog), QString());
}

void test_activity_plot_dialog::export_vector_data()
{
    QTest::addColumn<QString>("name");
    add_row("svg", QStringLiteral("plot.svg"));
    add_row("pdf", QStringLiteral("plot.PDF"));
}

void test_activity_plot_dialog::export_vector()
{
    QFETCH(QString, name);
    activity_plot_dialog dialog(parent.get(), *space, QStringLiteral("f.csv"));
    dialog.show();
    const QString path = dir->filePath(name);
    {
        export_driver driver(path);
        test_support::streams_capture quiet;
        export_button(dialog)->click();
        QVERIFY2(driver.message.isEmpty(), qPrintable(driver.message));
    }
    const QByteArray bytes = file_bytes(path);
    if (name.endsWith(QStringLiteral(".svg"))) {
        QSvgRenderer svg(bytes);
        QVERIFY(svg.isValid());
        QCOMPARE(svg.viewBox(), QRect(0, 0, 512, 112));
        // 512 by 112 pixels at 96 per inch.
        QVERIFY2(bytes.contains("width=\"135.467mm\" height=\"29.6333mm\""), bytes.left(400).constData());
        QVERIFY(bytes.contains("activity plot (Dornvale - v0.1.3)"));
        QVERIFY(bytes.contains("file: f.csv"));
        QVERIFY(bytes.contains("2024-03-03"));
        // Rendered (smoothed), the vector picture shows a bin where the image has one, none elsewhere.
        QImage drawn(512, 112, QImage::Format_RGB888);
        drawn.fill(Qt::white);
        {
            QPainter p(&drawn);
            svg.render(&p);
        }
        for (int c : {5, 15, 45, 7, 8, 245}) {
            const bool bin = qRed(dialog.plot_image().pixel(c, 72)) < 255;
            QCOMPARE(qRed(drawn.pixel(c, 72)) < 250, bin);
            QCOMPARE(bin, c % 10 == 5 && c < 240);
        }
    } else {
        QVERIFY(bytes.startsWith("%PDF-"));
        // One point per pixel: the page is the picture's size.
        QVERIFY(bytes.contains("/MediaBox [0 0 512.000000 112.000000]"));
        QVERIFY(bytes.trimmed().endsWith("%%EOF"));
    }
    QCOMPARE(status_text(dialog), QStringLiteral("Activity plot saved to ") + QDir::toNativeSeparators(path));
}

void test_activity_plot_dialog::export_values_as_csv()
{
    activity_plot_dialog dialog(parent.get(), *space, QStringLiteral("f.csv"));
    dialog.show();
    export_driver driver(QStringLiteral("f-activity.csv"));
    export_data_button(dialog)->click();
    QVERIFY2(driver.message.isEmpty(), qPrintable(driver.message));
    QCOMPARE(driver.file_dialog_title, QStringLiteral("Save Activity Data"));
    QCOMPARE(driver.proposed_name, QStringLiteral("f-activity.csv"));
    const QString path = dir->filePath(QStringLiteral("f-activity.csv"));
    QBuffer expected;
    expected.open(QIODevice::WriteOnly);
    QVERIFY(write_activity_csv(dialog.calculator(), expected, nullptr));
    const QByteArray bytes = file_bytes(path);
    QCOMPARE(bytes, expected.data());
    QCOMPARE(bytes.count('\n'), 3 * 240 + 1);
    // Burst 1 starts 30 minutes in with 0, 1, 0 on each axis: activity 1 in bin 5.
    QVERIFY(bytes.contains("\n2024-03-01T00:30:00Z,0,5,3,1\n"));
    QCOMPARE(status_text(dialog), QStringLiteral("Activity data saved to ") +
                                      QDir::toNativeSeparators(QFileInfo(path).canonicalFilePath()));
}

void test_activity_plot_dialog::failed_data_export_warns()
{
    QVERIFY(test_support::write_file(dir->filePath(QStringLiteral("file")), QByteArray()));
    const QString path = dir->filePath(QStringLiteral("file/data.csv"));
    activity_plot_dialog dialog(parent.get(), *space, QStringLiteral("f.csv"));
    dialog.show();
    const shown_message shown = shown_message::on_choosing(export_data_button(dialog), path);
    QCOMPARE(shown.dialogs, (QStringList{"Save Activity Data", "Export failed"}));
    const QString prefix = QStringLiteral("The activity data could not be saved to \"%1\": ")
                               .arg(QDir::toNativeSeparators(path));
    QVERIFY2(shown.text.startsWith(prefix), qPrintable(shown.text));
    QVERIFY(shown.text.size() > prefix.size() + 1);
    QVERIFY(!QFile::exists(path));
    QCOMPARE(status_text(dialog), QString());
}

void test_activity_plot_dialog::options_change_picture_and_numbers()
{
    activity_plot_dialog dialog(parent.get(), *space, QStringLiteral("f.csv"));
    dialog.show();
    dialog.findChild<QCheckBox*>(QStringLiteral("doublePlotBox"))->setChecked(true);
    QVERIFY(dialog.options().double_plot);
    QCOMPARE(dialog.plot_image().size(), QSize(752, 112));
    QCOMPARE(dialog.calculator().utc_offset, qint64(0));

    auto* offset = dialog.findChild<QSpinBox*>(QStringLiteral("utcOffsetBox"));
    offset->setValue(-90);
    QCOMPARE(dialog.options().utc_offset_minutes, -90);
    QCOMPARE(dialog.calculator().utc_offset, qint64(-5400000));
    // The first burst, 00:00 UTC, is 22:30 on the day before, the last one 22:30 on 2024-03-02: three
    // days from 2024-02-29 01:30 UTC.
    QCOMPARE(dialog.calculator().plot_begin, march_1 - 86400000 + 5400000);
    QCOMPARE(dialog.calculator().bin_count, qint64(3 * 240));
    QCOMPARE(dialog.calculator().activities[225 + 5], 1.0);
    QCOMPARE(dialog.plot_image().size(), QSize(752, 112));
    QCOMPARE(dialog.view()->bin_rect(0, 0).height(), dialog.view()->row_height() - 3);

    // The export is the picture with the options.
    const QString path = dir->filePath(QStringLiteral("twice.png"));
    {
        export_driver driver(path);
        test_support::streams_capture quiet;
        export_button(dialog)->click();
    }
    QCOMPARE(QImage(path).convertToFormat(QImage::Format_RGB888), dialog.plot_image());

    dialog.findChild<QCheckBox*>(QStringLiteral("doublePlotBox"))->setChecked(false);
    offset->setValue(0);
    QVERIFY(dialog.options().is_default());
    QCOMPARE(dialog.plot_image().size(), QSize(512, 112));
    QCOMPARE(dialog.calculator().plot_begin, march_1);
}

void test_activity_plot_dialog::zoom_fits_or_enlarges()
{
    activity_plot_dialog dialog(parent.get(), *space, QStringLiteral("f.csv"));
    dialog.show();
    QVERIFY(QTest::qWaitForWindowExposed(&dialog));
    auto* scroll = dialog.findChild<QScrollArea*>(QStringLiteral("scrollArea"));
    activity_plot_view* view = dialog.view();
    const int margins = view->left_margin() + activity_plot_view::right_margin;

    // Fit: the rows take the viewport's width, however wide the window.
    for (int width : {400, 900}) {
        dialog.resize(width, 600);
        QCoreApplication::processEvents();
        QCOMPARE(view->width(), scroll->viewport()->width());
        QCOMPARE(view->bin_width_px(), double(view->width() - margins) / 240);
        QCOMPARE(view->bin_rect(0, 239).right(), view->width() - activity_plot_view::right_margin - 1);
    }
    const double wide = view->bin_width_px();
    QVERIFY(wide > 2.5);

    auto* zoom = dialog.findChild<QComboBox*>(QStringLiteral("zoomBox"));
    for (const auto& [index, px] : {std::make_pair(1, 2), std::make_pair(2, 4)}) {
        zoom->setCurrentIndex(index);
        dialog.resize(400, 600);
        QCoreApplication::processEvents();
        QCOMPARE(view->zoom(), px);
        QCOMPARE(view->bin_width_px(), double(px));
        QCOMPARE(view->width(), margins + 240 * px);
        QCOMPARE(view->bin_rect(1, 7),
                 QRect(view->left_margin() + 7 * px, activity_plot_view::top_margin + view->row_height() + 2,
                       px, view->row_height() - 3));
        QVERIFY(scroll->horizontalScrollBar()->maximum() > 0);
    }
    zoom->setCurrentIndex(0);
    QCoreApplication::processEvents();
    QCOMPARE(view->width(), scroll->viewport()->width());
}

void test_activity_plot_dialog::view_draws_bins_axis_and_legend()
{
    activity_plot_dialog dialog(parent.get(), *space, QStringLiteral("f.csv"));
    dialog.findChild<QComboBox*>(QStringLiteral("zoomBox"))->setCurrentIndex(1);
    dialog.show();
    QVERIFY(QTest::qWaitForWindowExposed(&dialog));
    activity_plot_view* view = dialog.view();
    const QImage shot = view->grab().toImage();
    const activity_calculator& calc = dialog.calculator();
    int dark = 0;
    // Bins 5, 15, ... (bursts 1, 3, ...) lie clear of the hour lines; 7 and 307 have no sample.
    for (int k : {5, 15, 25, 235, 245, 7, 307}) {
        const int grey = activity_grey(calc.activities[std::size_t(k)], calc.max_activity);
        const QRect r = view->bin_rect(k / 240, k % 240);
        QCOMPARE(shot.pixel(r.center()), qRgb(grey, grey, grey));
        dark += grey < 200;
    }
    QCOMPARE(dark, 5);
    // Legend: from white (no activity) to black (the largest).
    const QRect bar = view->legend_bar();
    QCOMPARE(shot.pixel(bar.left(), bar.center().y()), qRgb(255, 255, 255));
    QCOMPARE(shot.pixel(bar.right(), bar.center().y()), qRgb(0, 0, 0));
    const int mid = activity_grey(calc.max_activity / 2, calc.max_activity);
    const int x = bar.left() + int(std::floor(calc.max_activity / 2 / calc.max_activity * (bar.width() - 1)));
    QVERIFY(std::abs(qRed(shot.pixel(x, bar.center().y())) - mid) <= 2);
    // Hour axis: text above the rows at 0, 6, 12, 18, 24; nothing between the labels' rows.
    bool axis_text = false;
    for (int y = 0; y < activity_plot_view::top_margin - 8; ++y)
        for (int xx = view->left_margin() - 4; xx < view->left_margin() + 6; ++xx)
            axis_text |= shot.pixel(xx, y) != qRgb(255, 255, 255);
    QVERIFY(axis_text);
    // Dates left of the rows.
    bool date_text = false;
    for (int y = activity_plot_view::top_margin; y < activity_plot_view::top_margin + view->row_height(); ++y)
        for (int xx = 0; xx < view->left_margin() - 6; ++xx)
            date_text |= shot.pixel(xx, y) != qRgb(255, 255, 255);
    QVERIFY(date_text);
}
void test_activity_plot_dialog::export_jpeg()
{
    activity_plot_dialog dialog(parent.get(), *space, QStringLiteral("f.csv"));
    dialog.show();
    const QString path = dir->filePath(QStringLiteral("plot.JPG"));
    export_driver driver(path);
    export_button(dialog)->click();

    QVERIFY2(driver.message.isEmpty(), qPrintable(driver.message));
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
    QVERIFY(driver.message.isEmpty());
    QVERIFY(QDir(dir->path()).entryList(QDir::Files).isEmpty());
}

void test_activity_plot_dialog::failed_save_warns_data()
{
    add_columns<QString, QString>("name", "reason");
    add_row("unknown suffix", QStringLiteral("plot.xyz"), QStringLiteral("suffix"));
    add_row("no suffix", QStringLiteral("plot"), QStringLiteral("suffix"));
    add_row("folder cannot be written", QStringLiteral("file/plot.png"), QString());
}

void test_activity_plot_dialog::failed_save_warns()
{
    auto [name, reason] = fetch<QString, QString>("name", "reason");
    // "file" is a regular file, so nothing can be created beneath it.
    QVERIFY(test_support::write_file(dir->filePath(QStringLiteral("file")), "keep"));
    const QString path = dir->filePath(name);
    activity_plot_dialog dialog(parent.get(), *space, QStringLiteral("f.csv"));
    dialog.show();
    const shown_message shown = shown_message::on_choosing(export_button(dialog), path);
    QCOMPARE(shown.dialogs, (QStringList{"Save Activity Plot Image", "Export failed"}));
    const QString& text = shown.text;
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
        list.push_back(burst::make(t, 10.0, 1, std::vector<float>{1}, std::vector<float>{1},
                                               std::vector<float>{1}));
    std::ostringstream sink;
    auto* old = std::cerr.rdbuf(sink.rdbuf());
    const burst_space wide(list);
    std::cerr.rdbuf(old);

    activity_plot_dialog dialog(parent.get(), wide, QStringLiteral("f.csv"));
    QCOMPARE(dialog.windowTitle(), QStringLiteral("f.csv - Activity Plot - Dornvale"));
    QVERIFY(dialog.plot_image().isNull());
    auto* label =
        qobject_cast<QLabel*>(dialog.findChild<QScrollArea*>(QStringLiteral("scrollArea"))->widget());
    QVERIFY(label);
    QCOMPARE(label->text(),
             QStringLiteral("The activity plot is not drawn: the bursts span 47483 days (1970-01-01 "
                            "to 2100-01-01), more than 20 years (7305 days). Check the file for "
                            "wrong start times."));
    QVERIFY(!label->pixmap() || label->pixmap()->isNull());
    QPushButton* exp = export_button(dialog);
    QVERIFY(exp);
    QVERIFY(!exp->isEnabled());
}

void test_activity_plot_dialog::click_on_a_bin_gives_its_start_data()
{
    add_columns<int, bool, int, int, int, qint64>("zoom_index", // 0 fit, 1 two pixels a bin, 2 four
                                                  "double_plot", "offset_minutes", "row", "column",
                                                  "expected"); // ms UTC; -1 for no bin
    const qint64 bin = 360000, day = 86400000;
    add_row("first bin", 1, false, 0, 0, 0, march_1);
    add_row("first day, last bin", 1, false, 0, 0, 239, march_1 + 239 * bin);
    add_row("second day, bin 10", 2, false, 0, 1, 10, march_1 + day + 10 * bin);
    add_row("third day, bin 100", 1, false, 0, 2, 100, march_1 + 2 * day + 100 * bin);
    add_row("fit, first day, bin 137", 0, false, 0, 0, 137, march_1 + 137 * bin);
    add_row("fit, second day, bin 211", 0, false, 0, 1, 211, march_1 + day + 211 * bin);
    add_row("double, right half is the next day", 1, true, 0, 0, 240, march_1 + day);
    add_row("double, second row's last bin", 1, true, 0, 1, 479, march_1 + 2 * day + 239 * bin);
    add_row("double, last row's left half", 1, true, 0, 2, 5, march_1 + 2 * day + 5 * bin);
    add_row("double, past the last day", 1, true, 0, 2, 240, qint64(-1));
    // At UTC-01:30 the plot starts at 2024-02-29 00:00 of that clock, 01:30 UTC.
    const qint64 shifted = march_1 - day + 5400000;
    add_row("offset, first bin", 1, false, -90, 0, 0, shifted);
    add_row("offset, second day, bin 225", 1, false, -90, 1, 225, shifted + day + 225 * bin);
    add_row("offset and double", 2, true, -90, 1, 250, shifted + 490 * bin);
}

void test_activity_plot_dialog::click_on_a_bin_gives_its_start()
{
    auto [zoom_index, double_plot, offset_minutes, row, column, expected] =
        fetch<int, bool, int, int, int, qint64>("zoom_index", "double_plot", "offset_minutes", "row",
                                                "column", "expected");
    activity_plot_dialog dialog(parent.get(), *space, QStringLiteral("f.csv"));
    dialog.resize(900, 600);
    dialog.findChild<QComboBox*>(QStringLiteral("zoomBox"))->setCurrentIndex(zoom_index);
    dialog.findChild<QCheckBox*>(QStringLiteral("doublePlotBox"))->setChecked(double_plot);
    dialog.findChild<QSpinBox*>(QStringLiteral("utcOffsetBox"))->setValue(offset_minutes);
    dialog.show();
    QVERIFY(QTest::qWaitForWindowExposed(&dialog));
    activity_plot_view* view = dialog.view();
    QSignalSpy clicked(&dialog, &activity_plot_dialog::time_clicked);
    // The bin's first and last drawn column and the gap above it all belong to it.
    const QRect r = view->bin_rect(row, column);
    const QPoint points[] = {r.center(), QPoint(r.left(), r.center().y()), QPoint(r.right(), r.center().y()),
                             QPoint(r.center().x(), r.top() - 2)};
    for (const QPoint& at : points) {
        QTest::mouseClick(view, Qt::LeftButton, Qt::NoModifier, at);
        if (expected < 0) {
            QCOMPARE(clicked.count(), 0);
        } else {
            QCOMPARE(clicked.count(), 1);
            QCOMPARE(clicked.takeFirst().at(0).toLongLong(), expected);
        }
    }
    // Not bins: the hour axis, the dates, the legend; a right click.
    QTest::mouseClick(view, Qt::LeftButton, Qt::NoModifier,
                      QPoint(r.center().x(), activity_plot_view::top_margin - 1));
    QTest::mouseClick(view, Qt::LeftButton, Qt::NoModifier, QPoint(view->left_margin() - 1, r.center().y()));
    QTest::mouseClick(view, Qt::LeftButton, Qt::NoModifier, view->legend_bar().center());
    QTest::mouseClick(view, Qt::RightButton, Qt::NoModifier, r.center());
    QCOMPARE(clicked.count(), 0);
}

void test_activity_plot_dialog::sun_from_fixes_or_a_typed_position()
{
    // Fixes on the first day only: the other days take the median of all.
    std::vector<std::unique_ptr<gps_event>> list;
    for (const double lat : {47.0, 48.0, 47.5})
        list.push_back(std::make_unique<gps_event>(gps_event{march_1 + 3600000, 9.0, lat}));
    const event_space fixes(list);
    activity_plot_dialog dialog(parent.get(), *space, QStringLiteral("f.csv"), &fixes);
    const QImage plain = dialog.plot_image();
    dialog.findChild<QCheckBox*>(QStringLiteral("nightBox"))->setChecked(true);
    QVERIFY(dialog.sun());
    QCOMPARE(dialog.sun()->positions().size(), std::size_t(3));
    QCOMPARE(dialog.sun()->positions()[2].latitude, 47.5);
    QVERIFY(dialog.sun()->positions()[0].from_day && !dialog.sun()->positions()[2].from_day);
    // 00:06-00:12 UTC is night in Europe in March: the empty bin is tinted; 12:06 stays white.
    QCOMPARE(dialog.plot_image().pixelColor(1, 70), activity_bin_colour(255, true));
    QCOMPARE(dialog.plot_image().pixelColor(121, 70), QColor(Qt::white));
    QCOMPARE(plain.pixelColor(1, 70), QColor(Qt::white));
    dialog.findChild<QCheckBox*>(QStringLiteral("nightBox"))->setChecked(false);
    QVERIFY(!dialog.sun());
    QCOMPARE(dialog.plot_image().copy(0, 52, 512, 60), plain.copy(0, 52, 512, 60));

    // Without fixes a typed position stands in; one beyond ±90 / ±180 is refused.
    activity_plot_dialog alone(parent.get(), *space, QStringLiteral("f.csv"));
    alone.findChild<QCheckBox*>(QStringLiteral("sunBox"))->setChecked(true);
    QVERIFY(!alone.sun());
    QVERIFY(status_text(alone).startsWith(QStringLiteral("No GPS fixes")));
    auto* position = alone.findChild<QLineEdit*>(QStringLiteral("positionEdit"));
    QVERIFY(position->isEnabled());
    for (const char* refused : {"91, 0", "0, -180.5", "north"}) {
        position->setText(QString::fromLatin1(refused));
        emit position->editingFinished();
        QVERIFY(!alone.sun());
        QVERIFY2(status_text(alone).contains(QString::fromLatin1(refused)), qPrintable(status_text(alone)));
    }
    // 85° N in early March: polar night, every day drawn dark with no time; 85° S: polar day.
    for (const auto& [text, kind] : {std::make_pair("85, 0", activity_sun_mark::polar_night),
                                     std::make_pair("-85 0", activity_sun_mark::polar_day)}) {
        position->setText(QString::fromLatin1(text));
        emit position->editingFinished();
        QVERIFY(alone.sun());
        const std::vector<activity_sun_mark> marks = activity_sun_marks(alone.calculator(), *alone.sun());
        QCOMPARE(marks.size(), std::size_t(3));
        for (const activity_sun_mark& m : marks)
            QCOMPARE(m.kind, kind);
        QCOMPARE(alone.plot_image().pixelColor(101, 66), activity_sun_mark_colour(kind));
    }
}

void test_activity_plot_dialog::enter_in_the_position_applies_it_only()
{
    activity_plot_dialog dialog(parent.get(), *space, QStringLiteral("f.csv"));
    dialog.show();
    QVERIFY(QTest::qWaitForWindowActive(&dialog));
    dialog.findChild<QCheckBox*>(QStringLiteral("sunBox"))->setChecked(true);
    auto* position = dialog.findChild<QLineEdit*>(QStringLiteral("positionEdit"));
    position->setFocus();
    QTest::keyClicks(position, QStringLiteral("47.73, 9.06"));
    gui_test_support::modal_script script; // cancels a file dialog, should one come
    script.then(gui_test_support::choose_file({}));
    QTest::keyClick(position, Qt::Key_Return);
    QVERIFY(dialog.sun());
    QCOMPARE(dialog.sun()->positions()[0].latitude, 47.73);
    QCOMPARE(script.titles, QStringList());
    QVERIFY(dialog.isVisible());
}

void test_activity_plot_dialog::export_figure_for_a_report()
{
    activity_plot_dialog dialog(parent.get(), *space, QStringLiteral("/data/f.csv"));
    dialog.show();
    export_driver driver(dir->filePath(QStringLiteral("fig.png")));
    button(dialog, QStringLiteral("Export Figure…"))->click();
    QVERIFY2(driver.message.isEmpty(), qPrintable(driver.message));
    QCOMPARE(driver.file_dialog_title, QStringLiteral("Save Activity Figure"));
    QCOMPARE(driver.proposed_name, QStringLiteral("f-activity.png"));
    QCOMPARE(QImage(dir->filePath(QStringLiteral("fig.png"))).size(), // PNG at twice the figure's size
             activity_figure_size(dialog.calculator(), QStringLiteral("f.csv"), dialog.options()) * 2);
    QVERIFY(status_text(dialog).startsWith(QStringLiteral("Activity figure saved to ")));
}

void test_activity_plot_dialog::data_export_writes_the_rhythm_figures_beside()
{
    activity_plot_dialog dialog(parent.get(), *space, QStringLiteral("/data/f.csv"));
    dialog.show();
    export_driver driver(dir->filePath(QStringLiteral("f-activity.csv")));
    export_data_button(dialog)->click();
    QVERIFY2(driver.message.isEmpty(), qPrintable(driver.message));
    const QByteArray figures = file_bytes(dir->filePath(QStringLiteral("f-activity-rhythm.csv")));
    QVERIFY2(figures.startsWith(QByteArray(rhythm_summary_header) + "f.csv,3,"), figures.constData());
    QCOMPARE(figures.count('\n'), 2);
    QVERIFY(dialog.figures().has_period);
    const QString shown = dialog.findChild<QLabel*>(QStringLiteral("figuresLabel"))->text();
    QVERIFY2(shown.startsWith("Days with data: 3\nL5: ") && shown.contains("\nPeriod: "), qPrintable(shown));

    // One day: the figures that need two days say so instead of a number.
    std::vector<std::unique_ptr<burst>> day;
    test_support::add_bursts(day, 4, march_1, 1800000, 10.0, 3, [](int b, int, int) { return float(b); });
    const std::unique_ptr<burst_space> one_day = test_support::space_of(std::move(day));
    activity_plot_dialog short_dialog(parent.get(), *one_day, QStringLiteral("/data/g.csv"));
    const QString one = short_dialog.findChild<QLabel*>(QStringLiteral("figuresLabel"))->text();
    QVERIFY2(one.startsWith("Days with data: 1\nL5: ") &&
                 one.endsWith("\nIS, IV, period: need at least 2 days with data"),
             qPrintable(one));
    QVERIFY(!short_dialog.figures().has_period);
}

QTEST_MAIN(test_activity_plot_dialog)
#include "test_activity_plot_dialog.moc"
