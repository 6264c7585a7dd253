#include <QApplication>
#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <gtest/gtest.h>
#include <memory>

namespace {
// ctest runs every test through isolated_home.sh; a test started by hand gets the same kind of home
// here, so that not even a direct run writes into the user's trash or settings.
std::unique_ptr<QTemporaryDir> IsolateHome()
{
    if (!qEnvironmentVariableIsEmpty("PARVEX_TEST_HOME"))
        return nullptr;
    auto root = std::make_unique<QTemporaryDir>(QDir::tempPath() + QStringLiteral("/parvex-home.XXXXXX"));
    if (!root->isValid())
        qFatal("cannot create a home for the tests");
    const QString home = root->path() + QStringLiteral("/home");
    const std::pair<const char*, QString> folders[] = {
        {"HOME", home},
        {"XDG_CONFIG_HOME", home + QStringLiteral("/.config")},
        {"XDG_DATA_HOME", home + QStringLiteral("/.local/share")},
        {"XDG_STATE_HOME", home + QStringLiteral("/.local/state")},
        {"XDG_CACHE_HOME", home + QStringLiteral("/.cache")},
        {"XDG_RUNTIME_DIR", root->path() + QStringLiteral("/runtime")},
    };
    for (const auto& [name, folder] : folders) {
        QDir().mkpath(folder);
        qputenv(name, QFile::encodeName(folder));
    }
    QFile::setPermissions(root->path() + QStringLiteral("/runtime"), QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
    qputenv("PARVEX_TEST_HOME", QFile::encodeName(root->path()));
    return root;
}
} // namespace

// Every test executable runs with a QApplication on the offscreen platform, so windows can be driven
// by object name without a display.
int main(int argc, char** argv)
{
    const auto home = IsolateHome();
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    ::testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
