#pragma once

#include <QStringList>

#include <ostream>

// The "train" command of dornvale-batch: trains a behaviour model on the labelled bursts of the
// files (each with its labels file beside it), prints the validation and writes the model; an
// existing model file is replaced only with --replace.
class train_batch
{
public:
    // args are the words after the program name, starting with "train".
    static int run(const QStringList& args, std::ostream& out, std::ostream& err);
    static const char usage[];
};
