#pragma once

#include "data/labels/label_edit.h"
#include "views/labels/label_band.h"

#include <QObject>
#include <QString>

#include <memory>
#include <vector>

class QAction;
class QDockWidget;
class QMainWindow;
class QMenu;
class QUndoStack;
class burst_paint_panel;
class label_document;
class labels_list;

// Labelling in one burst window: the Labels menu (a label per key 1-9, Clear Label on 0, Undo,
// Redo, Import Labels..., Save Labels As..., Label Set...), the band under the bursts, the Labels
// dock, and the labels file beside the data, written after each change.
class labelling : public QObject
{
    Q_OBJECT

public:
    // data_path names the data file (or zip entry) the window shows; animal is empty for a file of
    // one animal. window and panel are not owned and must outlive this object.
    labelling(QMainWindow& window, burst_paint_panel& panel, const QString& data_path, const QString& animal);
    ~labelling() override;

    QMenu* menu() const { return menu_; }
    QDockWidget* dock() const { return dock_; }
    labels_list* list() const { return list_; }
    QUndoStack* undo_stack() const { return undo_; }
    label_document& document() const { return *document_; }

    // The label of burst index, empty for none.
    QString label_of(qint32 index) const;
    // Gives the selected bursts the label (empty: takes their labels away).
    void label_selection(const QString& label);
    // Adds the segments of a labels file as one step that Undo takes back.
    void import_from(const QString& path);
    // Asks where, then writes the labels there and from then on.
    void save_as();
    // Whether closing the window would lose labels: they are in no file and no other window holds them.
    bool labels_at_risk();
    // Before the window closes: true when no labels would be lost, or the user agreed, asked once
    // (title and question the window's own for closing) with the unsaved labels named first.
    bool may_close(const QString& title, const QString& question);

signals:
    // The labels of this window's animal changed.
    void labels_changed();
    // A line for the status bar.
    void message(const QString& text);

private:
    void build_menu();
    void fill_label_actions();
    void store();
    void tell_write_failure();
    void ask_about_conflict(const QObject* asker);
    void tell_opening();
    void delete_segments(const std::vector<label_segment>& segments);
    void push(const QString& text, std::vector<label_edit> edits);
    void edit_label_set();

    QMainWindow& window_;
    burst_paint_panel& panel_;
    QString animal_;
    std::shared_ptr<label_document> document_;
    std::unique_ptr<label_band> band_;
    QUndoStack* undo_;
    QMenu* menu_;
    QAction* first_fixed_action_ = nullptr;
    std::vector<QAction*> label_actions_;
    QDockWidget* dock_;
    labels_list* list_;
};
