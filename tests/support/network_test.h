#pragma once
// A test class of the online services: every test function gets a fresh network access manager
// that reaches the local test servers directly.

#include "support/online_test_support.h"

#include <QObject>

class network_test : public QObject
{
    Q_OBJECT

protected slots:
    void init() { manager = direct_network(); }

protected:
    std::unique_ptr<QNetworkAccessManager> manager;
};
