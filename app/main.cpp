#include "ErrorBox.h"
#include "KuzApplication.h"
#include "Unit1.h"

#include <exception>

namespace {

int run(kuz::KuzApplication& app) {
    kuz::TAxFirm1 AxFirm1; // creates the result and grid windows, hidden
    AxFirm1.show();
    return app.exec();
}

} // namespace

int main(int argc, char** argv) {
    kuz::KuzApplication app(argc, argv);
    // Failures that escape start-up or the event loop itself end the program after the box.
    try {
        run(app);
    } catch (const std::exception& e) {
        kuz::showErrorBox(QString::fromUtf8(e.what()));
    } catch (...) {
        kuz::showErrorBox(QString());
    }
    return 0;
}
