#include "data/io/skipped_lines_log.h"

skipped_lines_log::~skipped_lines_log()
{
    finish();
}

bool skipped_lines_log::count()
{
    return ++skipped_ <= listed;
}

void skipped_lines_log::add(const std::string& text)
{
    pending_ += text;
    pending_ += '\n';
    if (pending_.size() >= 65536) {
        trace::block(out_, pending_);
        pending_.clear();
    }
}

void skipped_lines_log::finish()
{
    if (finished_)
        return;
    finished_ = true;
    if (skipped_ > listed)
        pending_ += "skipped " + std::to_string(skipped_) + " lines in all; only the first " +
                    std::to_string(listed) + " are listed\n";
    if (!pending_.empty()) {
        trace::block(out_, pending_);
        trace::flush(out_);
    }
}
