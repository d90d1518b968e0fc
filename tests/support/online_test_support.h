#pragma once
// Debug-line capture and a direct network for the online-service tests.
#include "support/test_support.h"

#include <QNetworkAccessManager>
#include <QNetworkProxy>

#include <memory>

using test_support::debug_capture;

// A network access manager that reaches the local test servers directly, whatever proxy the
// environment names.
inline std::unique_ptr<QNetworkAccessManager> direct_network()
{
    auto manager = std::make_unique<QNetworkAccessManager>();
    manager->setProxy(QNetworkProxy::NoProxy);
    return manager;
}
