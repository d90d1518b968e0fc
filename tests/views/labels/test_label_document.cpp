// No label lost: a labels file that cannot be read whole is not written over until the user agrees,
// and labels that cannot be written stay in memory until Save Labels As.
#include "views/labels/label_document.h"

#include "support/temp_folder.h"

#include <QDir>
#include <QSignalSpy>
#include <QTest>

namespace {

QByteArray content(const QString& path)
{
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray("(missing)");
}

} // namespace

class test_label_document : public QObject
{
    Q_OBJECT

private slots:
    void a_file_read_with_losses_is_written_over_only_when_agreed();
    void labels_that_cannot_be_written_stay_until_saved_elsewhere();
    void one_document_per_file_by_its_resolved_path();
};

void test_label_document::a_file_read_with_losses_is_written_over_only_when_agreed()
{
    temp_folder dir;
    const QByteArray broken = "animal,start_utc,end_utc,label,note\n,2014-05-02T06:00:00Z,soon,walking,\n";
    const QString path = dir.write("tag.labels.csv", broken);
    label_document document(path);
    QCOMPARE(document.opened().skipped_lines, 1);
    document.set_range("", 0, 1000, "resting");
    QCOMPARE(document.store(this), label_document::stored::refused);
    document.flush();
    QCOMPARE(content(path), broken);
    document.keep_in_memory();
    QCOMPARE(document.store(this), label_document::stored::in_memory);
    QVERIFY(document.only_in_memory());

    document.overwrite(this);
    document.flush();
    QCOMPARE(content(path), QByteArray("animal,start_utc,end_utc,label,note\n"
                                       ",1970-01-01T00:00:00.000Z,1970-01-01T00:00:01.000Z,resting,\n"));
    QVERIFY(!document.only_in_memory());
}

void test_label_document::labels_that_cannot_be_written_stay_until_saved_elsewhere()
{
    temp_folder dir;
    // A folder that is a file: nothing can be written in it, not even by root.
    dir.write("folder", "a file");
    label_document document(dir.path("folder/tag.labels.csv"));
    QSignalSpy failed(&document, &label_document::write_failed);
    document.set_range("", 0, 1000, "resting");
    QCOMPARE(document.store(this), label_document::stored::written);
    document.flush();
    QCOMPARE(failed.count(), 1);
    QCOMPARE(document.failed_for(), this);
    QVERIFY(document.message().contains(dir.path("folder/tag.labels.csv")));
    document.set_range("", 1000, 2000, "walking");
    QCOMPARE(document.store(this), label_document::stored::in_memory);
    QCOMPARE(failed.count(), 1);
    QCOMPARE(document.segments().size(), std::size_t(2));

    const QString elsewhere = dir.path("saved.labels.csv");
    QCOMPARE(document.save_as(elsewhere), QString());
    QVERIFY(content(elsewhere).endsWith(",1970-01-01T00:00:01.000Z,1970-01-01T00:00:02.000Z,walking,\n"));
    QCOMPARE(document.path(), elsewhere);
    document.set_range("", 2000, 3000, "walking");
    QCOMPARE(document.store(this), label_document::stored::written);
    document.flush();
    QVERIFY(content(elsewhere).endsWith(",1970-01-01T00:00:01.000Z,1970-01-01T00:00:03.000Z,walking,\n"));
}

// One document per file, however a window reached it (the merge of two instances: the labelling flow).
void test_label_document::one_document_per_file_by_its_resolved_path()
{
    temp_folder dir;
    QVERIFY(QDir(dir.path()).mkdir("real") && QFile::link(dir.path("real"), dir.path("link")));
    QCOMPARE(label_document::open(dir.path("link/tag.txt")), label_document::open(dir.path("real/tag.txt")));
}

QTEST_GUILESS_MAIN(test_label_document)
#include "test_label_document.moc"
