// The framework's own messages: every error text it raises and the few
// captions of the windows it builds itself, in the words the user reads
// them (an error that no handler catches ends up in the application's
// error box). One table, so that each text is worded in one place.
//
// The texts are UTF-16; LoadStr gives one in the system code page, as the
// exceptions carry it, and FmtLoadStr fills its "%s" and "%d" first.
#pragma once

#include "SysUtils.h"

// ---- lists and collections -------------------------------------------------

extern const wchar_t SListIndexError[];     // %d: the index
extern const wchar_t SListCapacityError[];  // %d: the capacity
extern const wchar_t SSortedListError[];
extern const wchar_t SDuplicateString[];
extern const wchar_t SVirtualListRows[];
extern const wchar_t SVirtualListCount[];

// ---- conversions and formats -----------------------------------------------

extern const wchar_t SInvalidInteger[];  // %s: the text
extern const wchar_t SInvalidFloat[];    // %s: the text
extern const wchar_t SInvalidFormat[];   // %s: the format
extern const wchar_t SArgumentMissing[];  // %s: the format
extern const wchar_t SInvalidOp[];
extern const wchar_t SDateTimeRange[];
extern const wchar_t SDateEncodeError[];
extern const wchar_t STimeEncodeError[];

// ---- files, streams and resources ------------------------------------------

extern const wchar_t SFCreateError[];  // %s: the file
extern const wchar_t SFOpenError[];    // %s: the file
extern const wchar_t SReadError[];
extern const wchar_t SWriteError[];
extern const wchar_t SSeekError[];
extern const wchar_t SInvalidStreamPosition[];
extern const wchar_t SInvalidStreamSize[];
extern const wchar_t SCantWriteResourceStream[];
extern const wchar_t SResNotFound[];   // %s: the resource
extern const wchar_t SOutOfMemory[];
extern const wchar_t SPathNotFound[];  // %s: the folder
extern const wchar_t SIniFileWriteError[];  // %s: the file
extern const wchar_t SIniFileLineBreak[];   // %s: the file
extern const wchar_t SRegSetDataFailed[];   // %s: the value's name
extern const wchar_t SRegInvalidDataType[];  // %s: the value's name

// ---- the system ------------------------------------------------------------

extern const wchar_t SOSError[];  // %d: the code, %s: the system's text
extern const wchar_t SUnkOSError[];
extern const wchar_t SOutOfResources[];
extern const wchar_t SNoTimers[];
extern const wchar_t SCannotLoadLibrary[];  // %s: the library
extern const wchar_t SUnknownException[];

// ---- components, classes and properties ------------------------------------

extern const wchar_t SAssignError[];    // %s: the source's class, %s: the target's class
extern const wchar_t SDuplicateName[];  // %s: the name
extern const wchar_t SInvalidName[];    // %s: the name
extern const wchar_t SClassNotFound[];  // %s: the class
extern const wchar_t SClassCannotBeCreated[];  // %s: the class
extern const wchar_t SDuplicateClass[];        // %s: the class
extern const wchar_t SUnknownProperty[];       // %s: the property
extern const wchar_t SReadOnlyProperty[];      // %s: the property
extern const wchar_t SPropertyIsNot[];         // %s: the property, %s: the kind it is not
extern const wchar_t SKindOrdinal[];
extern const wchar_t SKindString[];
extern const wchar_t SKindFloat[];
extern const wchar_t SKindClass[];
extern const wchar_t SKindEvent[];
extern const wchar_t SKindEnum[];
extern const wchar_t SKindSet[];
extern const wchar_t SNotAnObjectOf[];         // %s: the class
extern const wchar_t SIncompatibleMethod[];
extern const wchar_t SInvalidPropertyValueOf[];  // %d: the value, %s: the property
extern const wchar_t SObjectDoesNotFit[];        // %s: the object's class, %s: the property, %s: its class
extern const wchar_t SInvalidPropertyElement[];  // %s: the element
extern const wchar_t SInvalidSetValue[];         // %s: the value

// ---- controls, forms and windows -------------------------------------------

extern const wchar_t SControlParentSelf[];
extern const wchar_t SParentRequired[];  // %s: the control
extern const wchar_t SWindowClassNotFound[];  // %s: the class
extern const wchar_t SCannotRegisterClass[];  // %s: the class
extern const wchar_t SWindowCreateError[];    // %s: the control's class
extern const wchar_t SCannotFocus[];
extern const wchar_t SNotOnForm[];  // %s: the control
extern const wchar_t SVisibleModal[];
extern const wchar_t SModalNeedsApplication[];
extern const wchar_t SNoMDIForm[];
extern const wchar_t SMDIClientError[];
extern const wchar_t SUtilWindowClassError[];
extern const wchar_t SUtilWindowError[];
extern const wchar_t SToolButtonError[];
extern const wchar_t SRichEditReadError[];    // %s: the control
extern const wchar_t SSpinButtonsError[];     // %s: the control
extern const wchar_t SLineInsertError[];
extern const wchar_t SGridIndexError[];
extern const wchar_t SFixedColsTooBig[];
extern const wchar_t SFixedRowsTooBig[];

// ---- menus -----------------------------------------------------------------

extern const wchar_t STooManyMenuItems[];
extern const wchar_t SMenuIndexError[];
extern const wchar_t SNoMenuItem[];
extern const wchar_t SMenuReinserted[];
extern const wchar_t SMenuInItself[];
extern const wchar_t SMenuNotFound[];
extern const wchar_t SMenuCreateError[];
extern const wchar_t SMenuItemInsertError[];  // %s: the item

// ---- dialogs ---------------------------------------------------------------

extern const wchar_t STooManyFiles[];
extern const wchar_t SInvalidDialogFileName[];
extern const wchar_t SFileDialogError[];  // %s: the error code
extern const wchar_t SMsgDlgOK[];
extern const wchar_t SMsgDlgCancel[];

// ---- pictures --------------------------------------------------------------

extern const wchar_t SInvalidBitmap[];
extern const wchar_t SInvalidIcon[];
extern const wchar_t SInvalidMetafile[];
extern const wchar_t SInvalidImageList[];
extern const wchar_t SInvalidPicture[];
extern const wchar_t SNoCanvas[];
extern const wchar_t SImageNeedsBitmap[];
extern const wchar_t SInvalidPixelFormat[];
extern const wchar_t SScanLineIndex[];
extern const wchar_t SScanLineNeedsDIB[];
extern const wchar_t SBitmapPixelsError[];
extern const wchar_t SIconSizeFixed[];
extern const wchar_t SIconImageError[];
extern const wchar_t SJPEGSizeFixed[];
extern const wchar_t SJPEGError[];  // %d: libjpeg's error number
extern const wchar_t SUnknownPictureFormat[];     // %s: the class
extern const wchar_t SUnknownPictureExtension[];  // %s: the extension
extern const wchar_t SUnknownClipboardFormat[];
extern const wchar_t SInvalidImageSize[];
extern const wchar_t SImageIndexError[];  // %d: the index
extern const wchar_t SImageInsertError[];

// ---- threads ---------------------------------------------------------------

extern const wchar_t SNoSyncThread[];
extern const wchar_t SSyncEventError[];
extern const wchar_t SSyncNotInMainThread[];
extern const wchar_t SThreadCreateError[];
extern const wchar_t SThreadWaitsForItself[];
extern const wchar_t SThreadNotStarted[];

// ---- form layouts ----------------------------------------------------------

extern const wchar_t SLayoutLine[];    // %d: the line, %s: the message
extern const wchar_t SLayoutOffset[];  // %d: the byte offset
extern const wchar_t SLayoutTextAfterEnd[];
extern const wchar_t SLayoutInvalidChar[];
extern const wchar_t SLayoutInvalidUTF8[];
extern const wchar_t SLayoutUnterminatedString[];
extern const wchar_t SLayoutInvalidCharCode[];
extern const wchar_t SLayoutNumberTooLarge[];
extern const wchar_t SLayoutInvalidNumber[];
extern const wchar_t SLayoutUnterminatedBinary[];
extern const wchar_t SLayoutInvalidBinary[];
extern const wchar_t SLayoutOddBinary[];
extern const wchar_t SLayoutNameTooLong[];
extern const wchar_t SLayoutExpected[];  // %s: what was expected
extern const wchar_t SLayoutObjectName[];
extern const wchar_t SLayoutClassName[];
extern const wchar_t SLayoutPropertyName[];
extern const wchar_t SLayoutSetElement[];
extern const wchar_t SLayoutPropsFirst[];
extern const wchar_t SLayoutValueExpected[];
extern const wchar_t SLayoutStringAfterPlus[];
extern const wchar_t SLayoutTooDeep[];
extern const wchar_t SInvalidStreamFormat[];
extern const wchar_t SInvalidValueType[];  // %d: the type
extern const wchar_t SIntegerOutOfRange[];  // %s: the value
extern const wchar_t SInvalidStringLength[];
extern const wchar_t SInvalidBinaryLength[];
extern const wchar_t SInvalidPropertyValue[];
extern const wchar_t SInvalidPropertyValueIdent[];  // %s: the value
extern const wchar_t SInvalidPropertyPath[];
extern const wchar_t SErrorReadingProperty[];  // %s: the object, %s: the property, %s: the message
extern const wchar_t SErrorReading[];          // %s: the place, %s: the message
extern const wchar_t SFixupNotFound[];         // %s: the place, %s: the component
extern const wchar_t SMethodNotFound[];        // %s: the method, %s: the form
extern const wchar_t SMethodSignature[];       // %s: the method, %s: the event, %s: its type
extern const wchar_t SPropertyCannotBeRead[];  // %s: the property
extern const wchar_t SLayoutNoComponent[];     // %s: the form, %s: the component
extern const wchar_t SLayoutWrongClass[];      // %s: the component, %s: its class, %s: the class expected
extern const wchar_t SLayoutNoRoot[];
extern const wchar_t SLayoutThisForm[];

// The text in the system code page.
AnsiString LoadStr(const wchar_t* Text);

// The text in the system code page with its arguments filled in.
template <class... A> AnsiString FmtLoadStr(const wchar_t* Text, const A&... Args) {
  return Format(LoadStr(Text), Args...);
}
