// The batch run of the main window over 200 databases with a one-statement script, against a
// bare ODBC loop sending the same USE statements and script on one connection. Prints the
// time ratio (target at most 1.2).
#include "KuzApplication.h"
#include "Unit1.h"
#include "support/RawOdbc.h"
#include "support/StandinServer.h"

#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <chrono>
#include <cstdio>

using namespace kuz;
using Clock = std::chrono::steady_clock;

namespace {

constexpr int databases = 200;
const char* const script = "UPDATE T SET N = N + 1";

std::string name(int i) {
    char buffer[32];
    std::snprintf(buffer, sizeof buffer, "KUZ_BENCH%03d_2024", i);
    return buffer;
}

double bareLoop(test::RawConnection& c) {
    const auto start = Clock::now();
    for (int i = 0; i < databases; ++i) {
        test::RawStatement(c).run("USE [" + name(i) + "]\r\n");
        test::RawStatement(c).run(std::string(script) + "\r\n");
    }
    return std::chrono::duration<double>(Clock::now() - start).count();
}

} // namespace

int main(int argc, char** argv) {
    qputenv("QT_QPA_PLATFORM", "offscreen");
    KuzApplication app(argc, argv);
    test::StandinServer server;
    test::RawConnection raw(server.odbcString());
    for (int i = 0; i < databases; ++i)
        test::RawStatement(raw).run("CREATE DATABASE " + name(i) + "\r\nUSE " + name(i) +
                                    "\r\nCREATE TABLE T (N int)\r\nINSERT INTO T VALUES (0)");

    TAxFirm1 window;
    window.Edit1->setText(QString::fromStdString(server.address()));
    window.Edit2->setText(QStringLiteral("sa"));
    window.Edit3->setText(QString::fromLatin1(test::StandinServer::password));
    window.show(); // sets the year's pattern, replaced here
    window.Edit8->setText(QStringLiteral("KUZ_BENCH%"));
    window.Button5Click();
    if (window.CheckListBox1->count() != databases) {
        std::fprintf(stderr, "listed %d databases\n", window.CheckListBox1->count());
        return 1;
    }
    window.memo().replace(QString::fromLatin1(script));

    double ours = 1e9, bare = 1e9;
    for (int round = 0; round < 3; ++round) {
        bare = std::min(bare, bareLoop(raw));
        window.DEMBut1Click(); // every database checked again
        const auto start = Clock::now();
        window.BitBtn1Click();
        ours = std::min(ours, std::chrono::duration<double>(Clock::now() - start).count());
    }
    std::printf("batch run over %d databases, one statement each\n", databases);
    std::printf("  bare ODBC loop   %.3f s\n", bare);
    std::printf("  batch run        %.3f s\n", ours);
    std::printf("  time ratio       %.2f (target <= 1.2)\n", ours / bare);
    return 0;
}
