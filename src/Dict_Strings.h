// The trainer's user-visible texts and its message box.
//
// Every text that is not fixed in a form layout lives here as a global UTF-16
// string. They are empty until InitializeDict_Strings() fills them all in one
// pass (before the first form is created) and are cleared again by
// FinalizeDict_Strings() (after the last form is gone). Forms copy them into
// their controls when their captions are applied; standard controls get them
// converted to the system code page. Texts worded alike are still separate
// variables, so that each use can be reworded on its own.
//
// The fixed 8-bit constants are compile-time arrays in the system code page
// (Central European, 1250): their Polish letters are written as 1250 bytes.
#pragma once

#include <span>

#include "System.h"
#include "Win.h"

// ---- message boxes (text, caption) -----------------------------------------

extern WideString sMsgNoUsers;           // no user yet (main window, test request)
extern WideString sCapNoUsers;
extern WideString sMsgUserExists;        // adding a user whose name is taken
extern WideString sCapUserExists;
extern WideString sMsgFileExists;        // save over an existing file (yes/no)
extern WideString sCapConfirmReplace;
extern WideString sMsgNoTitle;           // dictionary without title or description
extern WideString sMsgCannotCreateDir;   // new folder in the save dialog
extern WideString sCapError;             // caption of the two boxes above
extern WideString sMsgCannotCreateFile;  // dictionary file not writable
extern WideString sMsgDictCorrupt;       // dictionary not readable
extern WideString sCapFileError;         // caption of the two boxes above
extern WideString sMsgClearGrades;       // clear the grade journal (yes/no)
extern WideString sCapConfirmDelete;
extern WideString sMsgBadDicName;        // save-as name that is no plain file name
extern WideString sCapBadDicName;
extern WideString sMsgNoDictFolder;      // the dictionaries folder cannot be made
extern WideString sCapNoDictFolder;
extern WideString sMsgResultsDamaged;    // two strings: the user, the copy kept of the damaged file
extern WideString sMsgResultsUnreadable; // one string: the user whose results cannot be read
extern WideString sMsgRecentUnreadable;  // one string: the recent-dictionary list file

// ---- end-of-exercise dialog ------------------------------------------------

extern WideString sEndTestMsg;  // one integer: the efficiency in per cent
extern WideString sEndTestCaption;
extern WideString sEndLearnMsg;  // learning and presentation
extern WideString sEndLearnCaption;
extern WideString sEndYes;
extern WideString sEndOtherDict;
extern WideString sEndFinish;

// ---- main window -----------------------------------------------------------

extern WideString sMainCaption;
extern WideString sAppTitle;
// tool-bar hints
extern WideString sHintDisplay;
extern WideString sHintLearn;
extern WideString sHintTest;
extern WideString sHintGrades;
extern WideString sHintEditDicts;
extern WideString sHintSettings;
extern WideString sHintInfo;
// buttons of the top panel
extern WideString sBtnCourse;
extern WideString sBtnOrder;
extern WideString sLabelUser;
// menus; the four exercise items get sMenuEllipsis appended
extern WideString sMenuLearning;
extern WideString sMenuDisplay;
extern WideString sMenuLearn;
extern WideString sMenuTest;
extern WideString sMenuGrades;
extern WideString sMenuEllipsis;
extern WideString sMenuClose;  // also the information window's close button
extern WideString sMenuSettings;
extern WideString sMenuUsers;
extern WideString sMenuOptions;
extern WideString sMenuDictionaries;
extern WideString sMenuEditDicts;
extern WideString sMenuCourses;
extern WideString sMenuHelp;
extern WideString sMenuHelpTopics;
extern WideString sMenuContact;
extern WideString sMenuAbout;
extern WideString sMenuAboutInfo;

// ---- learning and test window ----------------------------------------------

extern WideString sLearnCaption;
extern WideString sTestCaption;
extern WideString sLearnEfficiency;
extern WideString sTestEfficiency;
extern WideString sLearnTranslate;
extern WideString sLearnYourAnswer;
extern WideString sLearnQuestion;
extern WideString sLearnAnswers;
extern WideString sLearnCorrect;
extern WideString sQuestionOf;  // "position of count"; the presentation's too
extern WideString sAnswerOr;    // joins alternative answers
extern WideString sGoodAnswer[3];  // a correct answer
extern WideString sBadAnswer[3];   // a wrong answer in a test
extern WideString sCorrection[3];  // opens the correction in learning
// wrong-answer list
extern WideString sBledyCaption;
extern WideString sBledyClose;

// ---- presentation window ---------------------------------------------------

extern WideString sDisplayCaption;
extern WideString sDisplayFamiliarity;
extern WideString sDisplayWord;      // the label before the word
extern WideString sDisplayMeanings;
extern WideString sDisplayWordTitle;
extern WideString sDisplayPresented;
extern WideString sDisplayMastered;
extern WideString sDisplayDontKnow;
extern WideString sDisplayKnow;
// the sound player's error box
extern WideString sPlayerErrorText;
extern WideString sPlayerErrorCaption;

// ---- dictionary editor -----------------------------------------------------

extern WideString sEditCaption;
extern WideString sEditWord;
extern WideString sEditAnswers;
extern WideString sEditDictTitle;        // also the chooser's
extern WideString sEditDictDescription;  // also the chooser's
extern WideString sEditFontSize;
extern WideString sEditHintAdd;
extern WideString sEditHintDelete;
extern WideString sEditHintReplace;
extern WideString sEditHintImport;
extern WideString sEditHintSave;
extern WideString sEditHintOpen;
extern WideString sEditHintSort;

// ---- dictionary chooser and save-as dialog ---------------------------------

extern WideString sSelDicCaption;
extern WideString sSelDicOK;
extern WideString sSelDicCancel;
extern WideString sDicNameCaption;
extern WideString sDicNameNewFolder;
extern WideString sDicNameOK;
extern WideString sDicNameCancel;

// ---- options ---------------------------------------------------------------

extern WideString sOptionsCaption;
extern WideString sOptionsPageTest;  // page list, first entry
extern WideString sOptionsPageUsers;
extern WideString sOptionsGroupUsers;
extern WideString sOptionsGroupTest;
extern WideString sOptionsAddUser;
extern WideString sOptionsSelectUser;
extern WideString sOptionsRepeats;
extern WideString sOptionsRandom;
extern WideString sOptionsStatsLearn;
extern WideString sOptionsStatsTest;
extern WideString sOptionsShowErrors;
extern WideString sOptionsOK;
extern WideString sOptionsCancel;
extern WideString sOptionsApply;
// why a name cannot be a user's
extern WideString sMsgEmptyUserName;
extern WideString sMsgReservedUserName;
extern WideString sMsgQuoteInUserName;
extern WideString sMsgApostrophesAroundUserName;
extern WideString sCapBadUserName;
extern WideString sMsgCannotRenameUser;  // the result file cannot be renamed
extern WideString sCapCannotRenameUser;

// ---- grade journal ---------------------------------------------------------

extern WideString sDziennCaption;
extern WideString sDziennUser;
extern WideString sDziennModule;
extern WideString sDziennGrades;
extern WideString sDziennOK;
extern WideString sDziennClear;

// ---- about box -------------------------------------------------------------

extern WideString sAboutProductName;
extern WideString sAboutUser;  // put before the user's name

// ---- information window ----------------------------------------------------

extern WideString sInfoContactCaption;
extern WideString sInfoAboutCaption;

// ---- 8-bit constants, system code page -------------------------------------

inline constexpr char sImportFilter[] = "Pliki tekstowe separowane tabulatorami (*.txt)|*.txt";
inline constexpr char sDictFolder[] = "slowniki";  // beside the executable
inline constexpr char sNewFolderCaption[] = "Nowy katalog";
inline constexpr char sNewFolderPrompt[] = "Podaj nazw\xEA katalogu";  // 0xEA: e with ogonek
inline constexpr char sHelpFile[] = "Slovanta.chm";
inline constexpr char sInfoHelpFile[] = "Info.chm";
// The maker's pages; the about box's link shows the home page address.
inline constexpr char sHomePageUrl[] = "http://www.example.com/";
inline constexpr char sCoursesUrl[] = "http://www.example.com/kursy/";
inline constexpr char sSignUpUrl[] = "http://www.example.com/kursy/zapisy/";
inline constexpr char sShopUrl[] = "http://www.example.com/sklep/";

// ---- start-up, shut-down and the table -------------------------------------

// One text variable and the literal it is filled with.
struct TDictString {
  WideString* Variable;
  const wchar_t* Literal;
};

// Every text variable with its literal, in one table.
std::span<const TDictString> DictStrings();

// Fills every text from its literal; call before the first form is created.
void InitializeDict_Strings();
// Clears every text; call after the last form is gone.
void FinalizeDict_Strings();

// The trainer's message box: MessageBoxW with the given UTF-16 text, caption
// and style flags; returns the button pressed (IDYES, IDNO, IDOK...). It is
// owned by the modal form being shown when there is one, so that the dialog
// below it cannot be clicked while the box is up, else by the main window.
int ShowAppMessage(const WideString& Text, const WideString& Caption, UINT Flags);
