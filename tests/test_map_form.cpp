#include <QTest>
class test_map_form : public QObject { Q_OBJECT };
QTEST_MAIN(test_map_form)
#include "test_map_form.moc"
