// Every message text of the framework, in one place (CP932 bytes at run time).
#pragma once

namespace orlo::res {

// Streams, files and lists.
extern const char* const SFOpenError;        // takes the file name
extern const char* const SFCreateError;      // takes the file name
extern const char* const SReadError;
extern const char* const SWriteError;
extern const char* const SListIndexError;
extern const char* const SIniFileWriteError; // takes the file name

// Window descriptions.
extern const char* const SInvalidImage;
extern const char* const SClassNotFound;     // takes the class name
extern const char* const SUnknownProperty;
extern const char* const SInvalidPropertyPath;
extern const char* const SReadOnlyProperty;
extern const char* const SInvalidPropertyValue;
extern const char* const SDuplicateName;     // takes the name
extern const char* const SInvalidName;       // takes the name
extern const char* const SResNotFound;       // takes the resource name
extern const char* const SAncestorNotFound;  // takes the component name
extern const char* const SUnresolvedReference; // takes the reference as written

// Objects, controls and the platform.
extern const char* const SInvalidCast;
extern const char* const SAssignError;       // takes the source and target class names
extern const char* const SParentRequired;    // takes the control name
extern const char* const SNoTimers;
extern const char* const SOutOfResources;
extern const char* const SCannotFocus;
extern const char* const SCannotShowModal;
extern const char* const SControlParentSelf;
extern const char* const SVisibleChanged;
extern const char* const SWindowClass;
extern const char* const SInvalidBitmap;
extern const char* const SWorkerBusy;

// The message window's captions and buttons, by their string numbers.
// Unknown numbers give the empty text.
const char* LoadResString(int id);
enum : int {
  SMsgDlgWarning = 61560, SMsgDlgError, SMsgDlgInformation, SMsgDlgConfirm,
  SMsgDlgYes, SMsgDlgNo, SMsgDlgOK, SMsgDlgCancel, SMsgDlgHelp,
  SMsgDlgAbort = 61571, SMsgDlgRetry, SMsgDlgIgnore, SMsgDlgAll,
};

}  // namespace orlo::res
