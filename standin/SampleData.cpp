#include "SampleData.h"

#include "Engine.h"
#include "Text.h"

#include <cmath>
#include <cstdio>
#include <string>
#include <vector>

namespace standin {
namespace {

// Runs the sample scripts through the same translation as the clients' batches.
class FailOnError : public ResultSink {
public:
    void columns(const std::vector<Column>&) override {}
    bool row(const std::vector<Value>&) override { return true; }
    void done(bool, std::int64_t) override {}
    void error(const SqlError& e) override { throw e; }
    void info(int, const std::string&) override {}
    void databaseChanged(const std::string&, const std::string&) override {}
    bool cancelled() override { return false; }
};

std::string money(double v) {
    char buffer[64];
    std::snprintf(buffer, sizeof buffer, "%.2f", std::round(v * 100.0) / 100.0);
    return buffer;
}

std::string fixed(double v, int places) {
    char buffer[64];
    std::snprintf(buffer, sizeof buffer, "%.*f", places, v);
    return buffer;
}

std::string quoted(const std::string& s) {
    return "N" + quoteWith(s, '\'');
}

const char* const schema = R"(
CREATE TABLE SABITLER (SABITMODUL nvarchar(10) NOT NULL, SABITKONU nvarchar(10) NOT NULL,
  SABITDEGER nvarchar(200), SABITACIKLAMA nvarchar(100), PRIMARY KEY (SABITMODUL, SABITKONU));
CREATE TABLE MUHHAR (MUHHARSIRANO int NOT NULL PRIMARY KEY, MUHHAREVRAKTAR datetime,
  MUHHAREVRAKNO nvarchar(20), MUHHARMUHKOD nvarchar(30), MUHHARACIKLAMA nvarchar(100),
  MUHHARBATIPI nvarchar(1), MUHHARBELTUR nvarchar(10), MUHHARTUTAR decimal(28,9),
  MUHHARREFNO nvarchar(20));
CREATE TABLE DEMKART (DMKKOD nvarchar(40) NOT NULL PRIMARY KEY, DMKCINSI nvarchar(80),
  DMKAMORTYUZDE decimal(28,9), DMKGIRTARIH datetime, DMKGIRTUTAR decimal(28,9),
  DMKAMORTSURE int, DMKAMORTBITIS int, DMKCIKISFLAG int);
)";

std::string demharTable() {
    std::string sql = "CREATE TABLE DEMHAR (DMHSIRANO int NOT NULL PRIMARY KEY, "
                      "DMHDEMKOD nvarchar(40), DMHYIL int, DMHKKEGFLAG int";
    for (const char* stem :
         {"DMHDUZONCAKTIF", "DMHDUZSONAKTIF", "DMHAKTIFFARK", "DMHDEGARTFON", "DMHDUZONCBIRIK",
          "DMHDUZSONBIRIK", "DMHBIRIKFARK", "DMHAYRILAN", "DMHAMORTORAN", "DMHDUZKATSAYI"})
        for (int p = 1; p <= 4; ++p)
            sql += std::string(", ") + stem + std::to_string(p) + " decimal(28,9)";
    return sql + ");\n";
}

struct Asset {
    const char* kind;
    double rate; // per cent a year
    int years;
};

const Asset assets[] = {
    {"Dizüstü bilgisayar", 33.333333, 3},
    {"Çok fonksiyonlu yazıcı", 20, 5},
    {"Ofis mobilyası takımı", 10, 10},
    {"Hafif ticari araç", 20, 5},
    {"Sunucu kabini ve UPS", 25, 4},
    {"Klima santrali", 12.5, 8},
    {"Akülü istif makinesi (forklift)", 20, 5},
    {"Güvenlik kamerası sistemi", 25, 4},
};

std::string companyScript(int company, int year) {
    std::string sql = schema + demharTable();
    const char* city[] = {"Ankara", "İzmir", "Bursa", "Konya"};

    // E-ledger (22) and e-invoice (25) settings, with rows on both sides of the limits.
    const std::string user = std::string("kuz_") + std::to_string(company + 1);
    const struct {
        const char *module, *topic, *value, *what;
    } settings[] = {
        {"10", "01", "TRY", "Yerel para birimi"},
        {"22", "36", "GIB", "E-defter saklama yeri"},
        {"22", "38", "edefter_kullanici", "E-defter kullanıcı adı"},
        {"22", "39", "Şifre*2024", "E-defter şifresi"},
        {"22", "40", "C:\\EDEFTER\\IMZA", "E-defter imza klasörü"},
        {"25", "39", "urn:mail:defaultgb", "E-fatura gönderici birim"},
        {"25", "40", "efatura_kullanici", "E-fatura kullanıcı adı"},
        {"25", "41", "Gizli!Parola", "E-fatura şifresi"},
        {"25", "42", "urn:mail:defaultpk", "E-fatura posta kutusu"},
    };
    for (const auto& s : settings)
        sql += "INSERT INTO SABITLER VALUES (N'" + std::string(s.module) + "', N'" + s.topic +
               "', " +
               quoted(s.value == std::string("edefter_kullanici") ||
                              s.value == std::string("efatura_kullanici")
                          ? user + "_" + s.module
                          : s.value) +
               ", " + quoted(s.what) + ");\n";

    // Vouchers: several lines sharing a reference number; one line stands twice.
    int line = 1;
    auto voucher =
        [&](const std::string& ref, const std::string& number, int month,
            std::vector<std::tuple<std::string, std::string, std::string, double>> lines) {
            char date[48];
            std::snprintf(date, sizeof date, "%04d-%02d-15", year, month);
            for (const auto& [account, text, side, amount] : lines)
                sql += "INSERT INTO MUHHAR VALUES (" + std::to_string(line++) + ", '" + date +
                       "', N'" + number + "', N'" + account + "', " + quoted(text) + ", N'" + side +
                       "', N'MAHSUP', " + money(amount) + ", N'" + ref + "');\n";
        };
    const double scale = 1.0 + company * 0.25;
    voucher("2024", "M-0001", 1,
            {{"770.01", std::string(city[company]) + " ofis kirası", "B", 18500 * scale},
             {"191.01", "İndirilecek KDV %20", "B", 3700 * scale},
             {"320.01", "Mülk sahibi: Öztürk Gayrimenkul", "A", 22200 * scale},
             {"191.01", "İndirilecek KDV %20", "B", 3700 * scale}});
    voucher("2024", "M-0002", 1,
            {{"100.01", "Kasa tahsilatı", "B", 1250.75 * scale},
             {"120.05", "Çağlar Ticaret tahsilat", "A", 1250.75 * scale}});
    voucher("1001", "M-0003", 2,
            {{"255.01", "Demirbaş alımı", "B", 42000 * scale},
             {"191.01", "İndirilecek KDV %20", "B", 8400 * scale},
             {"102.01", "Banka ödemesi", "A", 50400 * scale}});

    // Fixed-asset cards with their yearly movements.
    int movement = 1;
    const int cards = 5 + company;
    for (int c = 0; c < cards; ++c) {
        const Asset& a = assets[c % 8];
        const std::string code = "DMB-" + std::to_string(100 + c);
        const int entryYear = year - 3 + (c % 3);
        const double amount = std::round((12500.5 * (c + 1) + company * 1000.25) * 100) / 100;
        const int disposed = c == 3 ? 1 : 0;
        char date[48];
        std::snprintf(date, sizeof date, "%04d-%02d-%02d", entryYear, 1 + (c * 2) % 12, 1 + c);
        sql += "INSERT INTO DEMKART VALUES (N'" + code + "', " + quoted(a.kind) + ", " +
               fixed(a.rate, 6) + ", '" + date + "', " + money(amount) + ", " +
               std::to_string(a.years) + ", " + std::to_string(entryYear + a.years - 1) + ", " +
               std::to_string(disposed) + ");\n";

        double accumulated = 0;
        for (int y = entryYear; y <= year; ++y) {
            const double yearly = std::round(amount * a.rate) / 100.0;
            const double coefficient = 1.0 + 0.0125 * ((y + c) % 4);
            const double quarter = std::round(yearly / 4 * 100) / 100;
            const double adjusted = std::round(amount * coefficient * 100) / 100;
            // Some records leave the adjusted closing value 0: the report takes the opening one.
            const double closing = (c + y) % 3 == 0 ? 0 : adjusted;
            const int kkeg = (c == 1 && y == year - 1) ? 1 : 0;
            auto record = [&](int id) {
                std::string v = "INSERT INTO DEMHAR VALUES (" + std::to_string(id) + ", N'" + code +
                                "', " + std::to_string(y) + ", " + std::to_string(kkeg);
                auto four = [&](double p1, double p2, double p3, double p4) {
                    v += ", " + money(p1) + ", " + money(p2) + ", " + money(p3) + ", " + money(p4);
                };
                four(amount, amount, amount, amount);        // DUZONCAKTIF
                four(adjusted, adjusted, adjusted, closing); // DUZSONAKTIF
                const double diff = (adjusted - amount) / 4;
                four(diff, diff, diff,
                     adjusted - amount - 3 * std::round(diff * 100) / 100); // AKTIFFARK
                four(diff / 2, diff / 2, diff / 2, diff / 2);               // DEGARTFON
                four(accumulated, accumulated + quarter, accumulated + 2 * quarter,
                     accumulated + 3 * quarter); // DUZONCBIRIK
                four(accumulated + quarter, accumulated + 2 * quarter, accumulated + 3 * quarter,
                     accumulated + yearly);                            // DUZSONBIRIK
                four(0.5 * c, 0.25 * c, 0.75 * c, 1.5 * c);            // BIRIKFARK
                four(quarter, quarter, quarter, yearly - 3 * quarter); // AYRILAN
                v += ", " + fixed(a.rate / 100, 6) + ", " + fixed(a.rate / 100, 6) + ", " +
                     fixed(a.rate / 100, 6) + ", " + fixed(a.rate / 100, 6); // AMORTORAN
                v += ", " + fixed(coefficient, 6) + ", " + fixed(coefficient, 6) + ", " +
                     fixed(coefficient, 6) + ", " + fixed(coefficient, 6); // DUZKATSAYI
                sql += v + ");\n";
            };
            record(movement++);
            // A card entered twice for the current year, as the product sometimes does.
            if (c == 0 && y == year)
                record(movement++);
            accumulated += yearly;
        }
    }
    return sql;
}

} // namespace

void createSampleData(const std::filesystem::path& folder, int year) {
    std::filesystem::create_directories(folder);
    for (const auto& item : std::filesystem::directory_iterator(folder))
        if (item.path().extension() == ".sqlite")
            std::filesystem::remove(item.path());
    Catalog catalog(folder);
    FailOnError sink;

    const char* companies[] = {"ANKARA", "IZMIR", "BURSA", "KONYA"};
    const char* masters[] = {"KUZ_MASTER", "KUZ_MASTERV8", "KUZ_MASTERSB"};
    for (const char* m : masters) {
        catalog.create(m);
        Session s(catalog, m);
        std::string sql = "CREATE TABLE FIRMALAR (FIRMAKOD nvarchar(20) NOT NULL PRIMARY KEY, "
                          "FIRMAADI nvarchar(100), YIL int);\n";
        const char* names[] = {"Ankara Makine Sanayi A.Ş.", "İzmir Gıda Ltd. Şti.",
                               "Bursa Tekstil A.Ş.", "Konya Tarım Ürünleri Ltd. Şti."};
        for (int c = 0; c < 4; ++c)
            for (int y = year - 1; y <= year; ++y)
                sql += "INSERT INTO FIRMALAR VALUES (N'" + std::string(companies[c]) + "_" +
                       std::to_string(y) + "', " + quoted(names[c]) + ", " + std::to_string(y) +
                       ");\n";
        s.execute(sql, sink);
    }
    for (int c = 0; c < 4; ++c) {
        for (int y = year - 1; y <= year; ++y) {
            const std::string name = "KUZ_" + std::string(companies[c]) + "_" + std::to_string(y);
            catalog.create(name);
            Session s(catalog, name);
            s.execute("BEGIN TRANSACTION\n" + companyScript(c, y) + "COMMIT TRANSACTION\n", sink);
        }
    }
}

} // namespace standin
