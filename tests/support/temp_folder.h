#pragma once
// A fresh temporary folder that a test writes its small input files into; removed with the object.

#include "support/test_support.h"

#include <QTemporaryDir>

class temp_folder
{
public:
    bool valid() const { return dir_.isValid(); }
    QString path() const { return dir_.path(); }
    QString path(const QString& name) const { return dir_.path() + "/" + name; }

    // Writes content into the named file; its path. A file that cannot be written ends the run, as
    // no check after it would mean anything.
    QString write(const QString& name, const QByteArray& content) const
    {
        const QString file = path(name);
        if (!test_support::write_file(file, content))
            qFatal("cannot write %s", qPrintable(file));
        return file;
    }
    // The same under a name of its own (f1.csv, f2.csv, ...), for tests that read many files.
    QString write(const QByteArray& content) { return write(QString("f%1.csv").arg(++count_), content); }
    // head, then `hole` NUL bytes left as a sparse hole, then tail: see write_file_with_hole.
    QString write_with_hole(const QString& name, const QByteArray& head, qint64 hole,
                            const QByteArray& tail = QByteArray()) const
    {
        const QString file = path(name);
        if (!test_support::write_file_with_hole(file, head, hole, tail))
            qFatal("cannot write %s", qPrintable(file));
        return file;
    }

private:
    QTemporaryDir dir_;
    int count_ = 0;
};
