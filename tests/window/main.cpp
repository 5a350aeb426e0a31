// Runs every window test class in one process, as QTEST_MAIN runs one. Test functions
// named on the command line run in the class that has them.
#include <QApplication>
#include <QTest>
#include <memory>
#include <vector>

namespace velmora::test {
QObject* makeLayoutTest();
QObject* makeWorkflowTest();
QObject* makeSelectionTest();
QObject* makeCallTreeTest();
}  // namespace velmora::test

namespace {

// Whether the object has every test function named among the arguments.
bool hasNamedFunctions(const QObject& tests, int argc, char** argv)
{
    for (int i = 1; i < argc; ++i) {
        QByteArray name(argv[i]);
        if (name.startsWith('-')) return true;                                       // options: leave them to QTest
        if (const auto colon = name.indexOf(':'); colon >= 0) name.truncate(colon);  // a data row
        name += "()";
        if (tests.metaObject()->indexOfMethod(name.constData()) < 0) return false;
    }
    return true;
}

}  // namespace

int main(int argc, char** argv)
{
    QApplication app(argc, argv);
    QApplication::setAttribute(Qt::AA_Use96Dpi, true);
    int failed = 0;
    for (auto make : {velmora::test::makeLayoutTest, velmora::test::makeWorkflowTest, velmora::test::makeSelectionTest,
                      velmora::test::makeCallTreeTest}) {
        const std::unique_ptr<QObject> tests(make());
        if (hasNamedFunctions(*tests, argc, argv)) failed += QTest::qExec(tests.get(), argc, argv);
    }
    return failed;
}
