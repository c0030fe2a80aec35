// The module's resources: the string table in its 22 language variants, icon
// group 129 and the version data.
#include <array>
#include <iterator>

#include "pw/resources.h"

namespace {

using pw::res::String;
using pw::res::StringTable;

// Strings 2 to 8 say what went wrong with printing; string 1 is the destination's
// description, the same in every language.
constexpr const char kDescription[] = "-CpyPrn";

#define PW_STRINGS(name, s2, s3, s4, s5, s6, s7, s8) \
    const String name[] = {{1, kDescription}, {2, s2}, {3, s3}, {4, s4}, {5, s5}, {6, s6}, {7, s7}, {8, s8}}

PW_STRINGS(english, "A problem occurred trying to save print files.",
           "There is not enough disk space to create the print spool file.",
           "The print driver is not selected or cannot be loaded.", "The printer is not responding.",
           "The printer has timed out.", "A printing error has occurred.", "The printer is not compatible.");
PW_STRINGS(chinese_traditional, "試圖儲存列印檔案時出現問題。", "沒有足夠的磁碟空間建立列印多工緩衝處理檔案。",
           "列印驅動程式沒有選擇或者無法載入。", "印表機不應答。", "印表機已超時。", "出現列印錯誤。", "印表機不相容。");
PW_STRINGS(german, "Störung beim Versuch, Druckdateien zu speichern.",
           "Festplattenspeicher reicht zum Anlegen einer Druck-Spuldatei nicht aus.",
           "Druckertreiber ist nicht markiert oder kann nicht geladen werden.", "Drucker reagiert nicht.",
           "Zeitlimit-Überschreitung beim Drucker.", "Fehler beim Drucken.", "Der Drucker ist nicht kompatibel.");
PW_STRINGS(spanish, "Se ha producido un problema al intentar guardar los archivos de impresión.",
           "No hay suficiente espacio en disco para crear el archivo de cola de impresión.",
           "El controlador de impresora no ha sido seleccionado o no puede cargarse.", "La impresora no responde.",
           "La impresora ha ingresado en estado de fin de temporización.", "Se ha producido un error de impresión.",
           "La impresora no es compatible.");
PW_STRINGS(french, "Un problème s'est produit pendant l'enregistrement des fichiers d'impression.",
           "Le pilote d'imprimante n'est pas sélectionné ou ne peut pas être chargé.",
           "Le pilote d'imprimante n'est pas sélectionné ou ne peut pas être chargé.", "L'imprimante ne répond pas.",
           "L'imprimante a rencontré une erreur de délai.", "Une erreur d'impression s'est produite.",
           "L'imprimante n'est pas compatible.");
PW_STRINGS(italian, "Si è verificato un problema durante il salvataggio dei file di stampa.",
           "Spazio su disco insufficiente per la creazione del file della coda di stampa.",
           "Il driver della stampante non è selezionato o non può essere caricato.", "La stampante non risponde.",
           "Il tempo di attesa della stampante è scaduto.", "Si è verificato un errore di stampa.",
           "La stampante non è compatibile.");
PW_STRINGS(japanese, "印刷ファイルを保存しようとしているときに不具合が発生しました。",
           "印刷用スプールファイルを作成するには空きディスク容量が不十分です。",
           "プリンタドライバが選択されていないか、または読み込めないかです。", "スキャナが応答しません。",
           "プリンタはタイムアウトとなりました。", "印刷作業エラーが発生しました。", "プリンタは互換性のないものです。");
PW_STRINGS(korean, "인쇄 파일을 저장하는 도중 문제가 발생했습니다.",
           "인쇄 파일을 저장하는 도중 문제가 발생했습니다. 인쇄 스풀 파일을 만들만한 충분한 디스크 공간이 없습니다.",
           "인쇄 드라이버가 선택이 안되었거나 읽어 들일 수 없습니다.", "프린트가 응답을 안합니다.",
           "프린터가 타임 아웃이 되었습니다.", "인쇄 오류가 발생했습니다.", "프린터가 호환이 되지 않습니다.");
PW_STRINGS(dutch, "Er is een probleem opgetreden tijdens het opslaan van afdrukbestanden.",
           "Er is onvoldoende schijfruimte om het afdruk-spoolbestand te maken.",
           "Het printerstuurprogramma is niet geselecteerd of kan niet worden geladen.", "De printer reageert niet.",
           "Er is een printer time-out opgetreden.", "Er is een afdrukfout opgetreden.",
           "De printer is niet compatibel.");
PW_STRINGS(portuguese, "Ocorreu um problema na tentativa de salvar arquivos de impressão.",
           "Não existe espaço no disco suficiente para criar o arquivo spool de impressão.",
           "O driver de impressão não está selecionado ou não pode ser carregado.", "A impressora não responde.",
           "Acabou o tempo de espera da impressora.", "Ocorreu um erro de impressão.",
           "A impressora não é compatível.");
PW_STRINGS(russian, "Произошла ошибка при попытке сохранения файлов печати.",
           "Недостаточно места на диске для создания буферного файла печати.",
           "Драйвер принтера не выбран или не загружен.", "Принтер не реагирует.", "Тайм-аут принтера.",
           "Произошла ошибка печати.", "Принтер не совместим.");
PW_STRINGS(chinese_simplified, "保存打印文件时发生问题。", "磁盘空间不足，无法建立打印假脱机文件。",
           "没有选择或无法加载打印驱动程序。", "打印机无反应。", "打印机超时。", "发生打印错误。", "打印机不兼容。");
#undef PW_STRINGS

#define PW_TABLE(language, strings) StringTable{language, strings, std::size(strings)}
const StringTable kStringTables[] = {
    PW_TABLE(1028, chinese_traditional), PW_TABLE(1031, german),     PW_TABLE(1033, english),
    PW_TABLE(1034, spanish),             PW_TABLE(1036, french),     PW_TABLE(1040, italian),
    PW_TABLE(1041, japanese),            PW_TABLE(1042, korean),     PW_TABLE(1043, dutch),
    PW_TABLE(1046, portuguese),          PW_TABLE(1049, russian),    PW_TABLE(2052, chinese_simplified),
    PW_TABLE(2055, german),              PW_TABLE(2058, spanish),    PW_TABLE(2060, french),
    PW_TABLE(2064, italian),             PW_TABLE(2067, dutch),      PW_TABLE(2070, portuguese),
    PW_TABLE(3079, german),              PW_TABLE(3082, spanish),    PW_TABLE(3084, french),
    PW_TABLE(4108, french),
};
#undef PW_TABLE

// Icon 129: a small printer with a sheet coming out of it, drawn at each size from
// the same proportions (RGBA, rows top first).
template <int N>
constexpr std::array<BYTE, N * N * 4> printer_icon() {
    std::array<BYTE, N * N * 4> px{};
    auto put = [&](int x, int y, BYTE r, BYTE g, BYTE b) {
        int i = (y * N + x) * 4;
        px[i] = r;
        px[i + 1] = g;
        px[i + 2] = b;
        px[i + 3] = 255;
    };
    for (int y = 0; y < N; ++y) {
        for (int x = 0; x < N; ++x) {
            // In 1/32 units of the icon.
            int u = x * 32 / N, v = y * 32 / N;
            bool sheet = u >= 8 && u < 24 && v >= 2 && v < 28;
            bool body = u >= 2 && u < 30 && v >= 12 && v < 24;
            bool slot = u >= 6 && u < 26 && v >= 20 && v < 22;
            bool light = u >= 24 && u < 27 && v >= 14 && v < 16;
            if (body && !(sheet && v >= 24)) {
                if (slot)
                    put(x, y, 40, 40, 48);
                else if (light)
                    put(x, y, 60, 200, 90);
                else if (u == 2 || u == 29 || v == 12 || v == 23)
                    put(x, y, 70, 74, 86);
                else
                    put(x, y, 150, 156, 170);
            } else if (sheet) {
                bool text_line = (v % 4 == 0) && u >= 10 && u < 22 && v < 12;
                if (u == 8 || u == 23 || v == 2 || v == 27)
                    put(x, y, 120, 120, 130);
                else if (text_line)
                    put(x, y, 40, 90, 200);
                else
                    put(x, y, 255, 255, 255);
            }
        }
    }
    return px;
}

constexpr auto kIcon32 = printer_icon<32>();
constexpr auto kIcon16 = printer_icon<16>();
const pw::res::IconImage kIconImages[] = {{32, 32, kIcon32.data()}, {16, 16, kIcon16.data()}};
const pw::res::IconGroup kIconGroups[] = {{129, kIconImages, std::size(kIconImages)}};

const pw::res::VersionString kVersionStrings[] = {
    {"FileVersion", "2.02"},
    {"ProductVersion", "2.02"},
    {"FileDescription", "Printer Destination"},
};
// The version texts are the same in every language variant of the module.
#define PW_VERSION_LANGUAGE(language) \
    pw::res::VersionLanguage { language, 1200, kVersionStrings, std::size(kVersionStrings) }
const pw::res::VersionLanguage kVersionLanguages[] = {
    PW_VERSION_LANGUAGE(1028), PW_VERSION_LANGUAGE(1031), PW_VERSION_LANGUAGE(1033), PW_VERSION_LANGUAGE(1034),
    PW_VERSION_LANGUAGE(1036), PW_VERSION_LANGUAGE(1040), PW_VERSION_LANGUAGE(1041), PW_VERSION_LANGUAGE(1042),
    PW_VERSION_LANGUAGE(1043), PW_VERSION_LANGUAGE(1046), PW_VERSION_LANGUAGE(1049), PW_VERSION_LANGUAGE(2052),
    PW_VERSION_LANGUAGE(2055), PW_VERSION_LANGUAGE(2058), PW_VERSION_LANGUAGE(2060), PW_VERSION_LANGUAGE(2064),
    PW_VERSION_LANGUAGE(2067), PW_VERSION_LANGUAGE(2070), PW_VERSION_LANGUAGE(3079), PW_VERSION_LANGUAGE(3082),
    PW_VERSION_LANGUAGE(3084), PW_VERSION_LANGUAGE(4108),
};
#undef PW_VERSION_LANGUAGE

const pw::res::VersionInfo kVersion = {
    {2, 0, 0, 1}, {2, 0, 0, 1}, 0, 0, 0, kVersionLanguages, std::size(kVersionLanguages),
};

const pw::res::ModuleResources kResources = {
    .string_tables = kStringTables,
    .string_table_count = std::size(kStringTables),
    .icon_groups = kIconGroups,
    .icon_group_count = std::size(kIconGroups),
    .version = &kVersion,
};

}  // namespace

PW_MODULE_RESOURCES(kResources);
