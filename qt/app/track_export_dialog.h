#pragma once

#include "data/tracks/track_format.h"

#include <QDialog>

class QComboBox;
class QLineEdit;

// "Export Track": the format (GPX, KML, GeoJSON) and the folder every open track is written to, one
// file per animal. Both are remembered for the next export.
class track_export_dialog : public QDialog
{
    Q_OBJECT

public:
    // offered: the folder shown when no export was made before.
    track_export_dialog(const QString& offered, int tracks, QWidget* parent = nullptr);

    track_format format() const;
    QString folder() const;
    // Remembers the choice; called when it was accepted.
    void remember() const;

private:
    QComboBox* format_;
    QLineEdit* folder_;
};
