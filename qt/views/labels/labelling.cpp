#include "views/labels/labelling.h"

#include "data/model/burst_space.h"
#include "views/burst/burst_paint_panel.h"
#include "views/labels/label_command.h"
#include "views/labels/label_document.h"
#include "views/labels/label_rows_model.h"
#include "views/labels/label_set_editor.h"
#include "views/labels/label_set_store.h"
#include "views/labels/labels_list.h"

#include <QDir>
#include <QDockWidget>
#include <QFileDialog>
#include <QMainWindow>
#include <QMenu>
#include <QMenuBar>
#include <QMessageBox>
#include <QPushButton>
#include <QSignalBlocker>
#include <QTimer>
#include <QUndoStack>

labelling::labelling(QMainWindow& window, burst_paint_panel& panel, const QString& data_path,
                     const QString& animal)
    : QObject(&window), window_(window), panel_(panel), animal_(animal), document_(label_document::open(data_path))
{
    const bool first_window = document_.use_count() == 1;
    band_ = std::make_unique<label_band>(document_->segments(), label_set_store::instance().set(), animal_);
    panel_.add_overlay(band_.get());
    undo_ = new QUndoStack(this);

    list_ = new labels_list(panel_.space);
    dock_ = new QDockWidget(tr("Labels"), &window_);
    dock_->setObjectName(QStringLiteral("labels"));
    dock_->setWidget(list_);
    window_.addDockWidget(Qt::BottomDockWidgetArea, dock_);
    list_->refill(document_->segments(), animal_);
    dock_->setVisible(list_->model()->rowCount() > 0);
    connect(list_, &labels_list::jump_requested, this, [this](qint32 first, qint32 last) {
        panel_.jump_to_burst(first);
        panel_.set_selected_range(last, first);
        panel_.setFocus();
    });
    connect(list_, &labels_list::delete_requested, this, &labelling::delete_segments);

    build_menu();
    connect(document_.get(), &label_document::changed, this, [this](const QString& animal) {
        if (animal != animal_)
            return;
        list_->refill(document_->segments(), animal_);
        panel_.update();
        emit labels_changed();
    });
    connect(undo_, &QUndoStack::indexChanged, this, &labelling::store);
    connect(document_.get(), &label_document::write_failed, this, &labelling::tell_write_failure);
    connect(document_.get(), &label_document::conflicted, this, &labelling::ask_about_conflict);
    connect(document_.get(), &label_document::merged_from_disk, this, [this](const QObject* asker, int changes) {
        // The steps were made on segments that are no longer there.
        const QSignalBlocker quiet(undo_);
        undo_->clear();
        if (asker == this)
            emit message(tr("The labels file %1 was changed by another program or window; its %2 change(s) are "
                            "merged with yours.")
                             .arg(QDir::toNativeSeparators(document_->path()))
                             .arg(changes));
    });
    connect(document_.get(), &label_document::relabelled, this, [this] {
        // The steps name labels that are no longer there.
        const QSignalBlocker quiet(undo_);
        undo_->clear();
        store();
    });
    connect(&label_set_store::instance(), &label_set_store::changed, this, [this] {
        fill_label_actions();
        panel_.update();
    });
    if (first_window)
        tell_opening();
}

labelling::~labelling()
{
    panel_.remove_overlay(band_.get());
}

void labelling::build_menu()
{
    menu_ = new QMenu(tr("Labels"), &window_);
    menu_->setObjectName(QStringLiteral("menuLabels"));
    QAction* clear = menu_->addAction(tr("Clear Label"));
    clear->setShortcut(QKeySequence(Qt::Key_0));
    connect(clear, &QAction::triggered, this, [this] { label_selection(QString()); });
    first_fixed_action_ = clear;
    menu_->addSeparator();
    QAction* undo = undo_->createUndoAction(menu_, tr("Undo"));
    undo->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_Z));
    QAction* redo = undo_->createRedoAction(menu_, tr("Redo"));
    redo->setShortcuts({QKeySequence(Qt::CTRL | Qt::SHIFT | Qt::Key_Z), QKeySequence(Qt::CTRL | Qt::Key_Y)});
    menu_->addAction(undo);
    menu_->addAction(redo);
    menu_->addSeparator();
    connect(menu_->addAction(tr("Import Labels...")), &QAction::triggered, this, [this] {
        const QString path = QFileDialog::getOpenFileName(&window_, tr("Import Labels"),
                                                          QFileInfo(document_->path()).absolutePath(),
                                                          tr("Labels (*.csv);;All files (*)"));
        if (!path.isEmpty())
            import_from(path);
    });
    connect(menu_->addAction(tr("Save Labels As...")), &QAction::triggered, this, &labelling::save_as);
    connect(menu_->addAction(tr("Label Set...")), &QAction::triggered, this, &labelling::edit_label_set);
    menu_->addAction(dock_->toggleViewAction());
    fill_label_actions();
}

void labelling::fill_label_actions()
{
    for (QAction* a : label_actions_)
        delete a;
    label_actions_.clear();
    for (const label_def& l : label_set_store::instance().set().labels()) {
        auto* action = new QAction(tr("Label as %1").arg(l.name), menu_);
        if (l.key > 0)
            action->setShortcut(QKeySequence(Qt::Key_0 + l.key));
        QPixmap swatch(12, 12);
        swatch.fill(QColor::fromRgb(l.rgb));
        action->setIcon(QIcon(swatch));
        const QString name = l.name;
        connect(action, &QAction::triggered, this, [this, name] { label_selection(name); });
        menu_->insertAction(first_fixed_action_, action);
        label_actions_.push_back(action);
    }
}

QString labelling::label_of(qint32 index) const
{
    if (index < 0 || index >= panel_.space.entry_count())
        return QString();
    return document_->segments().label_at(animal_, panel_.space.timestamps()[std::size_t(index)]);
}

void labelling::label_selection(const QString& label)
{
    const qint32 first = panel_.selection_first(), last = panel_.selection_last();
    if (first < 0) {
        emit message(tr("Select a burst first: click one, Shift+click or Shift+drag for a range."));
        return;
    }
    const auto [start, end] = label_segments::span_of_bursts(panel_.space.timestamps(), std::size_t(first),
                                                             std::size_t(last));
    label_edit edit = document_->set_range(animal_, start, end, label);
    const qint32 n = last - first + 1;
    const QString bursts = n == 1 ? tr("1 burst") : tr("%1 bursts").arg(n);
    push(label.isEmpty() ? tr("Clear Label of %1").arg(bursts) : tr("Label %1 as %2").arg(bursts, label), {edit});
}

void labelling::delete_segments(const std::vector<label_segment>& segments)
{
    std::vector<label_edit> edits;
    for (const label_segment& s : segments)
        edits.push_back(document_->set_range(animal_, s.start_ms, s.end_ms, QString()));
    push(segments.size() == 1 ? tr("Delete 1 Segment") : tr("Delete %1 Segments").arg(segments.size()),
         std::move(edits));
}

void labelling::push(const QString& text, std::vector<label_edit> edits)
{
    edits.erase(std::remove_if(edits.begin(), edits.end(), [](const label_edit& e) { return e.changes_nothing(); }),
                edits.end());
    if (edits.empty())
        return;
    if (!dock_->isVisible() && !document_->segments().of(animal_).empty())
        dock_->show();
    label_document* document = document_.get();
    undo_->push(new label_command(text, std::move(edits), [document](const label_edit& e, bool forward) {
        if (forward)
            document->apply(e);
        else
            document->revert(e);
    }));
}

void labelling::store()
{
    const QString shown = QDir::toNativeSeparators(document_->path());
    switch (document_->store(this)) {
    case label_document::stored::written:
        return;
    case label_document::stored::in_memory:
        emit message(tr("The labels are kept in memory only: Labels > Save Labels As... writes them."));
        return;
    case label_document::stored::refused: {
        const labels_file::result& opened = document_->opened();
        QMessageBox box(QMessageBox::Warning, tr("Labels File"),
                        tr("The labels file %1 could not be read whole; writing the labels shown over it "
                           "would lose what it holds.\n\n%2")
                            .arg(shown, !opened.failure.isEmpty() ? opened.failure : opened.warnings.join('\n')),
                        QMessageBox::NoButton, &window_);
        // A file not read at all is never written over: only one that lost lines, as the user sees.
        QPushButton* overwrite =
            opened.failure.isEmpty() ? box.addButton(tr("Overwrite"), QMessageBox::DestructiveRole) : nullptr;
        QPushButton* save_elsewhere = box.addButton(tr("Save Labels As..."), QMessageBox::AcceptRole);
        box.addButton(tr("Keep in Memory"), QMessageBox::RejectRole);
        box.setDefaultButton(save_elsewhere);
        box.exec();
        if (overwrite && box.clickedButton() == overwrite) {
            document_->overwrite(this);
        } else if (box.clickedButton() == save_elsewhere) {
            save_as();
        } else {
            document_->keep_in_memory();
            emit message(tr("The labels are kept in memory only: Labels > Save Labels As... writes them."));
        }
        return;
    }
    }
}

void labelling::tell_write_failure()
{
    if (document_->failed_for() != this)
        return;
    QMessageBox box(QMessageBox::Warning, tr("Labels File"),
                    tr("%1\nThe labels stay in memory; Labels > Save Labels As... writes them elsewhere.")
                        .arg(document_->message()),
                    QMessageBox::Ok, &window_);
    QPushButton* save_elsewhere = box.addButton(tr("Save Labels As..."), QMessageBox::AcceptRole);
    box.exec();
    if (box.clickedButton() == save_elsewhere)
        save_as();
}

void labelling::ask_about_conflict(const QObject* asker)
{
    if (asker != this)
        return;
    QMessageBox box(QMessageBox::Warning, tr("Labels File"),
                    tr("The labels file %1 was changed by another program or window since it was read. Its "
                       "other changes and yours are merged, but %2 of your changes share time with its "
                       "changes.\n\nKeep Mine writes your labels there; Keep Theirs keeps the file's.")
                        .arg(QDir::toNativeSeparators(document_->path()))
                        .arg(document_->conflicts()),
                    QMessageBox::NoButton, &window_);
    QPushButton* mine = box.addButton(tr("Keep Mine"), QMessageBox::AcceptRole);
    QPushButton* theirs = box.addButton(tr("Keep Theirs"), QMessageBox::DestructiveRole);
    QPushButton* save_elsewhere = box.addButton(tr("Save Labels As..."), QMessageBox::ActionRole);
    box.addButton(tr("Keep in Memory"), QMessageBox::RejectRole);
    box.setDefaultButton(save_elsewhere);
    box.exec();
    if (box.clickedButton() == mine || box.clickedButton() == theirs) {
        document_->resolve(box.clickedButton() == mine, this);
    } else if (box.clickedButton() == save_elsewhere) {
        save_as();
    } else {
        document_->keep_in_memory();
        emit message(tr("The labels are kept in memory only: Labels > Save Labels As... writes them."));
    }
}

void labelling::save_as()
{
    const QString path = QFileDialog::getSaveFileName(&window_, tr("Save Labels As"), document_->path(),
                                                      tr("Labels (*.csv)"));
    if (path.isEmpty())
        return;
    const QString failure = document_->save_as(path);
    if (!failure.isEmpty())
        QMessageBox::warning(&window_, tr("Save Labels As"), failure);
    else
        emit message(tr("Labels saved to %1").arg(QDir::toNativeSeparators(path)));
}

bool labelling::labels_at_risk()
{
    document_->flush();
    // Another window of the same file keeps them.
    return document_->only_in_memory() && document_.use_count() == 1;
}

bool labelling::may_close(const QString& title, const QString& question)
{
    if (!labels_at_risk())
        return true;
    QMessageBox box(
        QMessageBox::Warning, title,
        tr("The labels of %1 are not saved in any file.").arg(QDir::toNativeSeparators(document_->path())),
        QMessageBox::Cancel, &window_);
    box.setInformativeText(question);
    QPushButton* save_elsewhere = box.addButton(tr("Save Labels As..."), QMessageBox::AcceptRole);
    QPushButton* discard = box.addButton(tr("Discard Labels"), QMessageBox::DestructiveRole);
    box.setDefaultButton(save_elsewhere);
    box.exec();
    if (box.clickedButton() == save_elsewhere) {
        save_as();
        return !document_->only_in_memory();
    }
    return box.clickedButton() == discard;
}

void labelling::import_from(const QString& path)
{
    const labels_file::result r = labels_file::read(path);
    QStringList notes = r.warnings;
    if (!r.failure.isEmpty()) {
        QMessageBox::warning(&window_, tr("Import Labels"), r.failure);
        return;
    }
    std::vector<label_edit> edits;
    qint32 other_animals = 0;
    for (const label_segment& s : r.segments.all()) {
        // A file of one animal takes every row; a file of several takes this animal's.
        if (!animal_.isEmpty() && s.animal != animal_) {
            ++other_animals;
            continue;
        }
        edits.push_back(document_->set_range(animal_, s.start_ms, s.end_ms, s.label, s.note));
    }
    if (other_animals > 0)
        notes << tr("%1 segment(s) of other animals were not imported here; import them in their windows.")
                     .arg(other_animals);
    const QStringList added = label_set_store::instance().add_missing(r.labels);
    if (!added.isEmpty())
        notes << tr("New labels were added to the label set: %1.").arg(added.join(QStringLiteral(", ")));
    const std::size_t n = edits.size();
    push(tr("Import Labels"), std::move(edits));
    emit message(tr("Imported %1 segment(s) from %2").arg(n).arg(QDir::toNativeSeparators(path)));
    if (!notes.isEmpty())
        QMessageBox::information(&window_, tr("Import Labels"), notes.join(QLatin1Char('\n')));
}

void labelling::tell_opening()
{
    const labels_file::result& r = document_->opened();
    QStringList notes = r.warnings;
    if (!r.failure.isEmpty())
        notes << r.failure << tr("It is not written over without asking.");
    const QStringList added = label_set_store::instance().add_missing(r.labels);
    if (!added.isEmpty())
        notes << tr("New labels were added to the label set: %1.").arg(added.join(QStringLiteral(", ")));
    if (list_->model()->hidden() > 0)
        notes << tr("%1 segment(s) lie outside the data: they are kept in the file but not shown.")
                     .arg(list_->model()->hidden());
    // A file of one animal shows the rows without an animal; rows naming one are kept, not shown.
    if (animal_.isEmpty()) {
        std::size_t named = r.segments.size() - r.segments.of(QString()).size();
        if (named > 0)
            notes << tr("%1 segment(s) name an animal, which this file of one animal does not: they are "
                        "kept in the file but not shown.")
                         .arg(named);
    }
    if (notes.isEmpty())
        return;
    // Not modal: the window opens while the user reads it.
    auto* box = new QMessageBox(QMessageBox::Warning, tr("Labels File"), notes.join(QLatin1Char('\n')),
                                QMessageBox::Ok, &window_);
    box->setAttribute(Qt::WA_DeleteOnClose);
    QTimer::singleShot(0, box, [box] { box->open(); });
}

void labelling::edit_label_set()
{
    label_set_editor editor(label_set_store::instance().set().labels(), &window_);
    if (editor.exec() != QDialog::Accepted)
        return;
    // Segments of a renamed label follow it, in every open labels file, when the user agrees.
    const std::vector<std::shared_ptr<label_document>> documents = label_document::all_open();
    QHash<QString, QString> names;
    QStringList renamed;
    for (const auto& [was, now] : editor.renames()) {
        std::size_t n = 0;
        for (const auto& d : documents)
            n += d->labelled(was);
        names.insert(was, now);
        if (n > 0)
            renamed << tr("%1 %2 labelled %3 to %4")
                           .arg(n)
                           .arg(n == 1 ? tr("segment") : tr("segments"), was, now);
    }
    if (!renamed.isEmpty()) {
        const QString last = renamed.takeLast();
        QMessageBox box(
            QMessageBox::Question, tr("Label Set"),
            tr("Rename %1?").arg(renamed.isEmpty() ? last : renamed.join(", ") + tr(" and ") + last),
            QMessageBox::Yes | QMessageBox::No | QMessageBox::Cancel, &window_);
        box.setInformativeText(
            tr("No keeps their old labels, which the set then lacks: they are drawn grey."));
        box.setDefaultButton(QMessageBox::Yes);
        const int answer = box.exec();
        if (answer == QMessageBox::Cancel)
            return;
        if (answer == QMessageBox::Yes)
            for (const auto& d : documents)
                d->rename_labels(names);
    }
    label_set_store::instance().set_labels(editor.labels());
}
