// Runs every window test class in one process, as QTEST_MAIN runs one.
#include <QApplication>
#include <QTest>
#include <memory>

namespace velmora::test {
QObject* makeLayoutTest();
QObject* makeWorkflowTest();
QObject* makeSelectionTest();
}  // namespace velmora::test

int main(int argc, char** argv)
{
    QApplication app(argc, argv);
    QApplication::setAttribute(Qt::AA_Use96Dpi, true);
    int failed = 0;
    for (auto make :
         {velmora::test::makeLayoutTest, velmora::test::makeWorkflowTest, velmora::test::makeSelectionTest}) {
        const std::unique_ptr<QObject> tests(make());
        failed += QTest::qExec(tests.get(), argc, argv);
    }
    return failed;
}
