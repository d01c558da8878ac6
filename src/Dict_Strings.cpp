#include "Dict_Strings.h"

#include "Forms.h"

WideString sMsgNoUsers;
WideString sCapNoUsers;
WideString sMsgUserExists;
WideString sCapUserExists;
WideString sMsgFileExists;
WideString sCapConfirmReplace;
WideString sMsgNoTitle;
WideString sMsgCannotCreateDir;
WideString sCapError;
WideString sMsgCannotCreateFile;
WideString sMsgDictCorrupt;
WideString sCapFileError;
WideString sMsgClearGrades;
WideString sCapConfirmDelete;
WideString sMsgBadDicName;
WideString sCapBadDicName;
WideString sMsgNoDictFolder;
WideString sCapNoDictFolder;
WideString sMsgResultsDamaged;
WideString sMsgResultsUnreadable;
WideString sMsgRecentUnreadable;

WideString sEndTestMsg;
WideString sEndTestCaption;
WideString sEndLearnMsg;
WideString sEndLearnCaption;
WideString sEndYes;
WideString sEndOtherDict;
WideString sEndFinish;

WideString sMainCaption;
WideString sAppTitle;
WideString sHintDisplay;
WideString sHintLearn;
WideString sHintTest;
WideString sHintGrades;
WideString sHintEditDicts;
WideString sHintSettings;
WideString sHintInfo;
WideString sBtnCourse;
WideString sBtnOrder;
WideString sLabelUser;
WideString sMenuLearning;
WideString sMenuDisplay;
WideString sMenuLearn;
WideString sMenuTest;
WideString sMenuGrades;
WideString sMenuEllipsis;
WideString sMenuClose;
WideString sMenuSettings;
WideString sMenuUsers;
WideString sMenuOptions;
WideString sMenuDictionaries;
WideString sMenuEditDicts;
WideString sMenuCourses;
WideString sMenuHelp;
WideString sMenuHelpTopics;
WideString sMenuContact;
WideString sMenuAbout;
WideString sMenuAboutInfo;

WideString sLearnCaption;
WideString sTestCaption;
WideString sLearnEfficiency;
WideString sTestEfficiency;
WideString sLearnTranslate;
WideString sLearnYourAnswer;
WideString sLearnQuestion;
WideString sLearnAnswers;
WideString sLearnCorrect;
WideString sQuestionOf;
WideString sAnswerOr;
WideString sGoodAnswer[3];
WideString sBadAnswer[3];
WideString sCorrection[3];
WideString sBledyCaption;
WideString sBledyClose;

WideString sDisplayCaption;
WideString sDisplayFamiliarity;
WideString sDisplayWord;
WideString sDisplayMeanings;
WideString sDisplayWordTitle;
WideString sDisplayPresented;
WideString sDisplayMastered;
WideString sDisplayDontKnow;
WideString sDisplayKnow;
WideString sPlayerErrorText;
WideString sPlayerErrorCaption;

WideString sEditCaption;
WideString sEditWord;
WideString sEditAnswers;
WideString sEditDictTitle;
WideString sEditDictDescription;
WideString sEditFontSize;
WideString sEditHintAdd;
WideString sEditHintDelete;
WideString sEditHintReplace;
WideString sEditHintImport;
WideString sEditHintSave;
WideString sEditHintOpen;
WideString sEditHintSort;

WideString sSelDicCaption;
WideString sSelDicOK;
WideString sSelDicCancel;
WideString sDicNameCaption;
WideString sDicNameNewFolder;
WideString sDicNameOK;
WideString sDicNameCancel;

WideString sOptionsCaption;
WideString sOptionsPageTest;
WideString sOptionsPageUsers;
WideString sOptionsGroupUsers;
WideString sOptionsGroupTest;
WideString sOptionsAddUser;
WideString sOptionsSelectUser;
WideString sOptionsRepeats;
WideString sOptionsRandom;
WideString sOptionsStatsLearn;
WideString sOptionsStatsTest;
WideString sOptionsShowErrors;
WideString sOptionsOK;
WideString sOptionsCancel;
WideString sOptionsApply;
WideString sMsgEmptyUserName;
WideString sMsgReservedUserName;
WideString sMsgQuoteInUserName;
WideString sMsgApostrophesAroundUserName;
WideString sCapBadUserName;
WideString sMsgCannotRenameUser;
WideString sCapCannotRenameUser;

WideString sDziennCaption;
WideString sDziennUser;
WideString sDziennModule;
WideString sDziennGrades;
WideString sDziennOK;
WideString sDziennClear;

WideString sAboutProductName;
WideString sAboutUser;

WideString sInfoContactCaption;
WideString sInfoAboutCaption;

namespace {

const TDictString Table[] = {
    {&sMsgNoUsers, L"Przed rozpoczęciem pracy musisz utworzyć użytkownika."},
    {&sCapNoUsers, L"Brak użytkowników"},
    {&sMsgUserExists, L"Nie można utworzyć drugiego użytkownika o takim samym imieniu."},
    {&sCapUserExists, L"Użytkownik istnieje"},
    {&sMsgFileExists, L"Plik istnieje. Zastąpić?"},
    {&sCapConfirmReplace, L"Potwierdź zastępowanie"},
    {&sMsgNoTitle, L"Brak tytułu lub opisu słownika. Uzupełnij dane i zapisz słownik."},
    {&sMsgCannotCreateDir, L"Nie można utworzyć katalogu. Sprawdź czy podana nazwa jest prawidłowa."},
    {&sCapError, L"Błąd"},
    {&sMsgCannotCreateFile, L"Nie można utworzyć pliku. Sprawdź czy podana nazwa jest prawidłowa."},
    {&sMsgDictCorrupt, L"Nie można załadować słownika. Plik jest uszkodzony."},
    {&sCapFileError, L"Błąd pliku"},
    {&sMsgClearGrades, L"Czy na pewno chcesz wyczyścić oceny?"},
    {&sCapConfirmDelete, L"Potwierdź usuwanie"},
    {&sMsgBadDicName, L"Nie można utworzyć pliku. Sprawdź czy podana nazwa jest prawidłowa."},
    {&sCapBadDicName, L"Błąd pliku"},
    {&sMsgNoDictFolder, L"Nie można utworzyć katalogu. Sprawdź czy podana nazwa jest prawidłowa."},
    {&sCapNoDictFolder, L"Błąd"},
    {&sMsgResultsDamaged, L"Plik z wynikami użytkownika „%s” był uszkodzony. Wczytano z niego wszystkie całe wyniki, "
                          L"a plik w dawnej postaci zachowano jako „%s”."},
    {&sMsgResultsUnreadable, L"Nie można odczytać wyników użytkownika „%s”. Plik jest uszkodzony albo używa go inny "
                             L"program. Użytkownik nie został wybrany."},
    {&sMsgRecentUnreadable, L"Nie można odczytać listy ostatnio używanych słowników „%s”. Lista została pominięta."},

    {&sEndTestMsg,
     L"Twoja efektywność wynosi: %d %%.\r\rCzy chcesz jeszcze raz sprawdzić znajomość słówek z tego słownika?"},
    {&sEndTestCaption, L"Test zakończony"},
    {&sEndLearnMsg, L"Gratulacje! Opanowałeś wszystkie słówka z tego słownika.\r\rCzy chcesz jeszcze raz przerobić ten słownik?"},
    {&sEndLearnCaption, L"Koniec nauki"},
    {&sEndYes, L"Tak"},
    {&sEndOtherDict, L"Inny słownik"},
    {&sEndFinish, L"Zakończ"},

    {&sMainCaption, L"Vardo Slovanta"},
    {&sAppTitle, L"Vardo Slovanta"},
    {&sHintDisplay, L"Poznaj słówka"},
    {&sHintLearn, L"Ucz się"},
    {&sHintTest, L"Sprawdź się"},
    {&sHintGrades, L"Twoje oceny"},
    {&sHintEditDicts, L"Edytuj słowniki"},
    {&sHintSettings, L"Ustawienia"},
    {&sHintInfo, L"Ważne informacje"},
    {&sBtnCourse, L"Zapisz się na kurs"},
    {&sBtnOrder, L"Zamów program"},
    {&sLabelUser, L"Użytkownik:"},
    {&sMenuLearning, L"Nauka"},
    {&sMenuDisplay, L"Poznaj słówka"},
    {&sMenuLearn, L"Ucz się"},
    {&sMenuTest, L"Sprawdź się"},
    {&sMenuGrades, L"Twoje oceny"},
    {&sMenuEllipsis, L"..."},
    {&sMenuClose, L"Zamknij"},
    {&sMenuSettings, L"Ustawienia"},
    {&sMenuUsers, L"Użytkownicy"},
    {&sMenuOptions, L"Opcje (nauka i testy)"},
    {&sMenuDictionaries, L"Słowniki"},
    {&sMenuEditDicts, L"Edytuj słowniki"},
    {&sMenuCourses, L"Kursy językowe"},
    {&sMenuHelp, L"Pomoc"},
    {&sMenuHelpTopics, L"Tematy pomocy"},
    {&sMenuContact, L"Kontakt"},
    {&sMenuAbout, L"O Vardo"},
    {&sMenuAboutInfo, L"Vardo Slovanta - informacje"},

    {&sLearnCaption, L"Nauka"},
    {&sTestCaption, L"Test"},
    {&sLearnEfficiency, L"Skuteczność"},
    {&sTestEfficiency, L"Skuteczność"},
    {&sLearnTranslate, L"Przetłumacz:"},
    {&sLearnYourAnswer, L"Twoja odpowiedź:"},
    {&sLearnQuestion, L"Pytanie"},
    {&sLearnAnswers, L"Odpowiedzi"},
    {&sLearnCorrect, L"Poprawne"},
    {&sQuestionOf, L" z "},
    {&sAnswerOr, L"lub"},
    {&sGoodAnswer[0], L"Dobrze."},
    {&sGoodAnswer[1], L"Świetnie!"},
    {&sGoodAnswer[2], L"Prawidłowo."},
    {&sBadAnswer[0], L"Źle."},
    {&sBadAnswer[1], L"Popełniłeś błąd."},
    {&sBadAnswer[2], L"Niestety."},
    {&sCorrection[0], L"Źle. Powinno być"},
    {&sCorrection[1], L"Popełniłeś błąd. Odpowiedź brzmi"},
    {&sCorrection[2], L"Niestety. Chodziło o"},
    {&sBledyCaption, L"Lista błędnych odpowiedzi"},
    {&sBledyClose, L"Zamknij"},

    {&sDisplayCaption, L"Poznawanie słówek"},
    {&sDisplayFamiliarity, L"Stopień zapoznania"},
    {&sDisplayWord, L"Słówko:"},
    {&sDisplayMeanings, L"Znaczenia:"},
    {&sDisplayWordTitle, L"Słówko"},
    {&sDisplayPresented, L"Zaprezentowane słówka"},
    {&sDisplayMastered, L"Opanowane słówka"},
    {&sDisplayDontKnow, L"Nie umiem"},
    {&sDisplayKnow, L"Umiem"},
    {&sPlayerErrorText,
     L"Wystąpił problem podczas inicjalizacji odtwarzania dźwięku.\rProszę sprawdzić czy karta dźwiękowa jest "
     L"poprawnie zainstalowana i dostępna w systemie."},
    {&sPlayerErrorCaption, L"Błąd"},

    {&sEditCaption, L"Edytor słowników"},
    {&sEditWord, L"Słówko"},
    {&sEditAnswers, L"Odpowiedzi"},
    {&sEditDictTitle, L"Tytuł słownika"},
    {&sEditDictDescription, L"Opis słownika"},
    {&sEditFontSize, L"Zmień rozmiar czcionki"},
    {&sEditHintAdd, L"Dodaj słówko"},
    {&sEditHintDelete, L"Usuń słówko"},
    {&sEditHintReplace, L"Zamień słówko"},
    {&sEditHintImport, L"Importuj słownik"},
    {&sEditHintSave, L"Zapisz słownik"},
    {&sEditHintOpen, L"Otwórz słownik"},
    {&sEditHintSort, L"Sortuj w kolejności alfabetycznej"},

    {&sSelDicCaption, L"Wybierz słownik"},
    {&sSelDicOK, L"OK"},
    {&sSelDicCancel, L"Anuluj"},
    {&sDicNameCaption, L"Podaj nazwę słownika"},
    {&sDicNameNewFolder, L"Utwórz katalog"},
    {&sDicNameOK, L"OK"},
    {&sDicNameCancel, L"Anuluj"},

    {&sOptionsCaption, L"Opcje"},
    {&sOptionsPageTest, L"Nauka/Test"},
    {&sOptionsPageUsers, L"Użytkownicy"},
    {&sOptionsGroupUsers, L"Użytkownicy"},
    {&sOptionsGroupTest, L"Nauka/Test"},
    {&sOptionsAddUser, L"Dodaj użytkownika"},
    {&sOptionsSelectUser, L"Wybierz użytkownika"},
    {&sOptionsRepeats, L"ilość powtórzeń zestawu podczas nauki"},
    {&sOptionsRandom, L"Losuj pytania"},
    {&sOptionsStatsLearn, L"Pokaż statystyki w czasie nauki"},
    {&sOptionsStatsTest, L"Pokaż statystyki w czasie testu"},
    {&sOptionsShowErrors, L"Pokaż listę błędnych odpowiedzi po teście"},
    {&sOptionsOK, L"OK"},
    {&sOptionsCancel, L"Anuluj"},
    {&sOptionsApply, L"Zastosuj"},
    {&sMsgEmptyUserName, L"Wpisz imię użytkownika."},
    {&sMsgReservedUserName, L"Imię „noname” jest zastrzeżone. Wpisz inne imię."},
    {&sMsgQuoteInUserName, L"Imię użytkownika nie może zawierać cudzysłowu (\")."},
    {&sMsgApostrophesAroundUserName, L"Imię użytkownika nie może zaczynać się i kończyć apostrofem (')."},
    {&sCapBadUserName, L"Nieprawidłowe imię"},
    {&sMsgCannotRenameUser, L"Nie można zmienić nazwy pliku z wynikami użytkownika."},
    {&sCapCannotRenameUser, L"Błąd pliku"},

    {&sDziennCaption, L"Oceny"},
    {&sDziennUser, L"Użytkownik"},
    {&sDziennModule, L"Moduł słownikowy"},
    {&sDziennGrades, L"Oceny"},
    {&sDziennOK, L"OK"},
    {&sDziennClear, L"Wyczyść"},

    {&sAboutProductName, L"Vardo Slovanta"},
    {&sAboutUser, L"Użytkownik:"},

    {&sInfoContactCaption, L"Kontakt"},
    {&sInfoAboutCaption, L"O Vardo"},
};

bool ShowsModally(TCustomForm* Form) {
  return Form && Form->FormState().Contains(fsModal) && Form->HandleAllocated() && IsWindowVisible(Form->Handle());
}

// The modal form being shown, if any. A modal loop disables every other
// window, an outer modal form included, so the innermost is the one still
// enabled.
TCustomForm* ShownModalForm() {
  if (!Screen) return nullptr;
  if (ShowsModally(Screen->ActiveForm())) return Screen->ActiveForm();
  for (int I = Screen->FormCount() - 1; I >= 0; --I) {
    TCustomForm* Form = Screen->Forms(I);
    if (ShowsModally(Form) && IsWindowEnabled(Form->Handle())) return Form;
  }
  return nullptr;
}

HWND MessageOwner() {
  if (TCustomForm* Modal = ShownModalForm()) return Modal->Handle();
  TCustomForm* Main = Application ? Application->MainForm() : nullptr;
  return Main && Main->HandleAllocated() ? Main->Handle() : nullptr;
}

}  // namespace

std::span<const TDictString> DictStrings() { return Table; }

void InitializeDict_Strings() {
  for (const TDictString& Entry : Table) *Entry.Variable = Entry.Literal;
}

void FinalizeDict_Strings() {
  for (const TDictString& Entry : Table) WideString().swap(*Entry.Variable);
}

int ShowAppMessage(const WideString& Text, const WideString& Caption, UINT Flags) {
  return MessageBoxW(MessageOwner(), Text.c_str(), Caption.c_str(), Flags);
}
