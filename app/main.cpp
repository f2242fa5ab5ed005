#include "ErrorBox.h"
#include "Forms3.h"
#include "KuzApplication.h"
#include "Unit1.h"
#include "Unit2.h"

#include <exception>

namespace {

int run(kuz::KuzApplication& app) {
    kuz::TAxFirm1 AxFirm1;
    kuz::TForm2 Form2;
    kuz::TForm3 Form3;
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
