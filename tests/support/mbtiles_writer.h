#pragma once
// Small MBTiles files written with QSQLITE for the tests of the map's tile sources.

#include "support/temp_folder.h"

#include <QBuffer>
#include <QImage>
#include <QList>
#include <QPair>
#include <QSqlDatabase>
#include <QSqlQuery>
#include <QVariant>

struct mbtiles_writer
{
    struct tile_row
    {
        int level, column, tms_row;
        QByteArray data;
    };

    // A 256-pixel PNG of one colour.
    static QByteArray png(QColor colour)
    {
        QImage image(256, 256, QImage::Format_RGB32);
        image.fill(colour);
        QByteArray bytes;
        QBuffer buffer(&bytes);
        buffer.open(QIODevice::WriteOnly);
        image.save(&buffer, "PNG");
        return bytes;
    }

    // Writes an MBTiles file with the metadata pairs and the tiles; tables: false leaves both out.
    static QString write(const temp_folder& dir, const QString& name,
                         const QList<QPair<QString, QString>>& metadata, const QList<tile_row>& tiles,
                         bool tables = true)
    {
        const QString path = dir.path(name);
        {
            QSqlDatabase db = QSqlDatabase::addDatabase("QSQLITE", "writer");
            db.setDatabaseName(path);
            db.open();
            QSqlQuery q(db);
            if (tables) {
                q.exec("CREATE TABLE metadata (name text, value text)");
                q.exec("CREATE TABLE tiles (zoom_level integer, tile_column integer, tile_row integer, "
                       "tile_data blob)");
            } else {
                q.exec("CREATE TABLE other (a integer)");
            }
            for (const auto& [key, value] : metadata) {
                q.prepare("INSERT INTO metadata VALUES (?, ?)");
                q.addBindValue(key);
                q.addBindValue(value);
                q.exec();
            }
            for (const tile_row& t : tiles) {
                q.prepare("INSERT INTO tiles VALUES (?, ?, ?, ?)");
                for (const QVariant& v :
                     {QVariant(t.level), QVariant(t.column), QVariant(t.tms_row), QVariant(t.data)})
                    q.addBindValue(v);
                q.exec();
            }
        }
        QSqlDatabase::removeDatabase("writer");
        return path;
    }
};
