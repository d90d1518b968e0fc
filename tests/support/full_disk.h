#pragma once
// A folder on a full disk, for writes that fail for want of space: a small tmpfs mounted there and
// filled where the test may mount one (as root), else a file size limit on this process and the
// programs it starts (a write past it fails with EFBIG, as a full disk fails with ENOSPC).
#include <QFile>
#include <QTemporaryDir>

#include <csignal>
#include <sys/mount.h>
#include <sys/resource.h>

class full_disk
{
public:
    // Files written before fill() are the old files a failed write must leave whole.
    full_disk()
    {
        mounted_ = ::mount("tmpfs", QFile::encodeName(dir_.path()).constData(), "tmpfs", 0, "size=256k") == 0;
    }
    ~full_disk()
    {
        if (mounted_)
            ::umount2(QFile::encodeName(dir_.path()).constData(), MNT_DETACH);
        else if (limited_)
            ::setrlimit(RLIMIT_FSIZE, &old_);
    }
    QString path(const QString& name) const { return dir_.path() + "/" + name; }
    // From now on nothing more fits.
    void fill()
    {
        if (mounted_) {
            QFile filler(path(QStringLiteral("filler")));
            filler.open(QIODevice::WriteOnly | QIODevice::Unbuffered);
            const QByteArray block(4096, 'x');
            while (filler.write(block) == block.size()) {
            }
            return;
        }
        std::signal(SIGXFSZ, SIG_IGN);
        ::getrlimit(RLIMIT_FSIZE, &old_);
        const rlimit small{0, old_.rlim_max};
        limited_ = ::setrlimit(RLIMIT_FSIZE, &small) == 0;
    }

private:
    QTemporaryDir dir_;
    bool mounted_ = false;
    bool limited_ = false;
    rlimit old_{};
};
