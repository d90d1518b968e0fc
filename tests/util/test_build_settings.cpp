// The "build" group of build.conf: values as written and trimmed with a fallback, base URLs with a
// trailing slash.
#include "util/build_settings.h"
#include "support/temp_folder.h"
#include "support/data_table.h"

#include <QTest>

#include <sys/stat.h>

class test_build_settings : public QObject
{
    Q_OBJECT

private slots:
    void value_and_read_data();
    void value_and_read();
    void with_slash();
};

void test_build_settings::value_and_read_data()
{
    add_columns<QByteArray, QString, QString>("content", // empty: no file at all
                                              "value",   // value(path, "tile_server")
                                              "read");   // read(path, "tile_server", "fallback")
    add_row("no file", QByteArray(), "", "fallback");
    add_row("other group", QByteArray("[general]\ntile_server=http://a/\n"), "", "fallback");
    add_row("set", QByteArray("[build]\ntile_server=http://a/\n"), "http://a/", "http://a/");
    add_row("blanks", QByteArray("[build]\ntile_server=\" http://a/ \"\n"), " http://a/ ", "http://a/");
    add_row("only blanks", QByteArray("[build]\ntile_server=\"  \"\n"), "  ", "fallback");
    add_row("empty", QByteArray("[build]\ntile_server=\n"), "", "fallback");
    add_row("a FIFO, which would block", QByteArray("fifo"), "", "fallback");
}

void test_build_settings::value_and_read()
{
    auto [content, value, read] = fetch<QByteArray, QString, QString>("content", "value", "read");
    temp_folder dir;
    const QString path = content.isEmpty() ? dir.path("build.conf") : dir.write("build.conf", content);
    if (content == "fifo")
        QVERIFY(QFile::remove(path) && mkfifo(QFile::encodeName(path).constData(), 0600) == 0);
    QCOMPARE(build_settings::value(path, "tile_server"), value);
    QCOMPARE(build_settings::read(path, "tile_server", "fallback"), read);
}

void test_build_settings::with_slash()
{
    QCOMPARE(build_settings::with_slash("http://127.0.0.1:8080/tiles"), QString("http://127.0.0.1:8080/tiles/"));
    QCOMPARE(build_settings::with_slash("http://127.0.0.1:8080/tiles/"), QString("http://127.0.0.1:8080/tiles/"));
    QCOMPARE(build_settings::with_slash("http://a//"), QString("http://a//")); // only one kept
    QCOMPARE(build_settings::with_slash(""), QString("/"));
}

QTEST_GUILESS_MAIN(test_build_settings)
#include "test_build_settings.moc"
