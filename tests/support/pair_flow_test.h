#pragma once
// A test class of the pair-opening flow: every test function starts with the pair flow's main window
// shown and ends with it closed.

#include "support/pair_flow_fixture.h"

#include <QObject>
#include <QtTest/QTest>

class pair_flow_test : public QObject, public pair_flow_fixture
{
    Q_OBJECT

protected slots:
    void init() { QVERIFY(start_pair_flow()); }
    void cleanup() { QVERIFY(stop_pair_flow()); }
};
