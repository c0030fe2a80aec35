// "tarnrez.dll": the updater's text library. It holds resources only: the
// updater's texts in English and German, and the progress window's template
// (every dialog is looked up here once the updater has switched to this library).
#include <iterator>

#include "dialog_templates.h"
#include "english_texts.h"

namespace {

const pw::res::String kGerman[] = {
    {IDS_COMPLETE, "Pagewright wurde aktualisiert. Starten Sie VL Lucentra LT, um mit der neuen Version zu drucken."},
    {IDS_BUTTON_OK, "&Aktualisieren"},
    {IDS_BUTTON_CANCEL, "Abbrechen"},
    {IDS_CONFIRM,
     "Hiermit wird das neue Pagewright-Druckziel in VL Lucentra LT installiert.\n"
     "Schlie\xc3\x9f" "en Sie VL Lucentra LT, bevor Sie fortfahren."},
    {IDS_PROGRESS, "Das neue Pagewright-Druckziel wird kopiert..."},
    {IDS_NO_LOCATION,
     "Das Programmverzeichnis von VL Lucentra LT oder der Ort dieses Programms wurde nicht gefunden. "
     "Installieren Sie VL Lucentra LT, starten Sie es einmal und f\xc3\xbchren Sie die Aktualisierung erneut aus."},
    {IDS_COPY_FAILED,
     "Die neue Pagewright-Datei konnte nicht kopiert werden. Schlie\xc3\x9f" "en Sie VL Lucentra LT und legen Sie "
     "pagewright.dst in denselben Ordner wie dieses Programm."},
};

const pw::res::StringTable kStrings[] = {
    {1033, updater::kEnglishTexts, std::size(updater::kEnglishTexts)},
    {1031, kGerman, std::size(kGerman)},
};
const pw::res::DialogTemplate kDialogs[] = {updater::kProgressDialog};

const pw::res::ModuleResources kResources = {
    .string_tables = kStrings,
    .string_table_count = std::size(kStrings),
    .dialogs = kDialogs,
    .dialog_count = std::size(kDialogs),
};

}  // namespace

PW_MODULE_RESOURCES(kResources);
