#pragma once

#include <QString>

#include <memory>

class QWidget;
class burst_space;
class event_space;
struct geo_box;

// What an open flow needs of the window that started it: a parent for its dialogs and somewhere to
// hand a loaded data set. Keeps the flows free of the main window.
class data_set_sink
{
public:
    virtual ~data_set_sink() = default;

    virtual QWidget* dialog_parent() = 0;

    // Shows and registers an acceleration data set read from acc_file_name; animal names the one
    // animal of a file of several it holds (empty for a file of one).
    virtual void add_acc_data_set(std::unique_ptr<burst_space> space, const QString& acc_file_name,
                                  const QString& animal) = 0;

    // Draws and registers the track of a GPS file opened without acceleration data; animal as above.
    virtual void add_gps_data_set(std::unique_ptr<event_space> events, const QString& gps_file_name,
                                  const QString& animal) = 0;

    // Shows and registers an acceleration and GPS pair, the track on the map; animal as above.
    virtual void add_pair(std::unique_ptr<burst_space> bursts, std::unique_ptr<event_space> events,
                          const QString& acc_file_name, const QString& gps_file_name,
                          const QString& animal) = 0;

    // Frames the map on box (around tracks opened together).
    virtual void frame_map(const geo_box& box) = 0;
};
