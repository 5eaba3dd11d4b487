#include "main_window.h"

#include <shellapi.h>

#include <algorithm>
#include <vector>

#include "application.h"
#include "class_builder.h"
#include "confirm_dialog.h"
#include "cute_button.h"
#include "dialogs.h"
#include "grad_box.h"
#include "paths.h"
#include "radio_group.h"
#include "shell_folders.h"
#include "speed_button.h"
#include "state_files.h"
#include "std_controls.h"
#include "strings.h"
#include "transfer.h"
#include "wide_text.h"
#include "worker.h"

namespace orlo {

TForm1* Form1 = nullptr;

ORLO_DEFINE_CLASS(TForm1, TForm) {
  p.Field("GradBox1", &TForm1::GradBox1);
  p.Field("RadioGroup1", &TForm1::RadioGroup1);
  p.Field("ListBox1", &TForm1::ListBox1);
  p.Field("Label1", &TForm1::Label1);
  p.Field("Label2", &TForm1::Label2);
  p.Field("Label3", &TForm1::Label3);
  p.Field("Edit1", &TForm1::Edit1);
  p.Field("Label4", &TForm1::Label4);
  p.Field("Button2", &TForm1::Button2);
  p.Field("Memo1", &TForm1::Memo1);
  p.Field("CuteButton1", &TForm1::CuteButton1);
  p.Field("CuteButton2", &TForm1::CuteButton2);
  p.Field("Label5", &TForm1::Label5);
  p.Field("Label6", &TForm1::Label6);
  p.Field("SpeedButton1", &TForm1::SpeedButton1);
  p.Field("SpeedButton2", &TForm1::SpeedButton2);
  p.Method("FormCreate", &TForm1::FormCreate);
  p.Method("Button2Click", &TForm1::Button2Click);
  p.Method("CuteButton1Click", &TForm1::CuteButton1Click);
  p.Method("SpeedButton1Click", &TForm1::SpeedButton1Click);
  p.Method("SpeedButton2Click", &TForm1::SpeedButton2Click);
  p.Method("FormClose", &TForm1::FormClose);
  p.Method("ListBox1Click", &TForm1::ListBox1Click);
  p.Method("CuteButton2Click", &TForm1::CuteButton2Click);
}

TFileName SettingsPath() { return ProgramFolder().Join(TFileName::FromAnsi("orlosend.ini")); }
TFileName FavouritesPath() { return ProgramFolder().Join(TFileName::FromAnsi("dirlist.txt")); }

std::string FavouriteDisplayText(const std::string& folder) {
  return folder.size() > 20 ? AbbreviatePath(folder) : folder;
}

namespace {

const char kSection[] = "Setting";
const int CSIDL_DESKTOP_FOLDER = 0;   // CSIDL_DESKTOP
const int CSIDL_DOCUMENTS_FOLDER = 5; // CSIDL_PERSONAL

// While files are being sent the session waits, and says why where the
// platform can (Windows Vista on; elsewhere the calls are missing).
void BlockShutdown(HWND window, bool block) {
  using Create = BOOL(WINAPI*)(HWND, LPCWSTR);
  using Destroy = BOOL(WINAPI*)(HWND);
  HMODULE user = GetModuleHandleA("user32.dll");
  if (block) {
    static const Create create = reinterpret_cast<Create>(
        reinterpret_cast<void*>(GetProcAddress(user, "ShutdownBlockReasonCreate")));
    static const std::wstring reason = WideFromCodePage("ファイルを送っています");
    if (create) create(window, reason.c_str());
  } else {
    static const Destroy destroy = reinterpret_cast<Destroy>(
        reinterpret_cast<void*>(GetProcAddress(user, "ShutdownBlockReasonDestroy")));
    if (destroy) destroy(window);
  }
}

}  // namespace

// The transfer as the main window runs it: the question is Form2, placed over
// the main window; failures are the plain message window.
class TMainWindowTransfer : public TTransferSite {
public:
  TMainWindowTransfer(TForm1& form, TWorker& worker) : form_(form), worker_(worker) {}

  bool Exists(const TFileName& path) override { return FileExists(path); }

  int AskOverwrite(const std::string& shownPath) override {
    // Once the window was asked to close, no new question keeps it open.
    if (form_.close_requested_) return kOverwriteClosed;
    Form2->Label1->SetCaption(shownPath);
    Form2->Label2->SetCaption("同名のファイルが存在します");
    Form2->Label3->SetCaption("上書きしますか？");
    Form2->SetLeft(form_.Left() + form_.Width() / 2 - Form2->Width() / 2);
    Form2->SetTop(form_.Top() + form_.Height() / 2 - Form2->Height() / 2);
    Form2->ShowModal();
    return Form2->ModalResult();
  }

  // The shell works on the worker's thread while the windows go on answering
  // and repainting here; nothing it uses changes meanwhile, since the window
  // takes no input and the run works on copies.
  bool FileOperation(const TFileName& source, const TFileName& dest, UINT operation) override {
    const HWND owner = Application->Handle();
    const auto& standIn = form_.FileOperation;
    bool done = false;
    worker_.Run([&] {
      if (standIn) {
        done = standIn(source, dest, operation);
        return;
      }
      // The shell's word is not taken alone: it reports a move that did not
      // happen as done.
      done = ShellRequest(source, dest, operation, owner) && TransferDone(source, dest, operation);
    });
    return done;
  }

  void Sending(size_t index) override { form_.Memo1->SelectLine(static_cast<int>(index)); }

  void Beep(UINT type) override { MessageBeep(type); }

  void ReportFailure(const std::string& text) override { ShowPlainMessage(text); }

  bool Stopped() override { return form_.session_ended_ || Application->Terminated(); }

  TFileName SpecialFolder(int csidl) override { return GetSpecialFolderPath(csidl); }

  void FavouritePutFirst(const std::string& folder) override {
    form_.put_first_.push_back(folder);
    form_.RefreshDirListBox();
  }

private:
  TForm1& form_;
  TWorker& worker_;
};

// Marks the window busy for one transfer: it takes no input meanwhile, the
// session is not to end under it, and it is usable again afterwards, also
// when the run raised. A close asked for during the run is the run's: it is
// forgotten when the run ends, however it ends.
class TTransferScope {
public:
  explicit TTransferScope(TForm1& form) : form_(form), focused_(form.ActiveControl()) {
    form_.transferring_ = true;
    form_.BlockInput(true);
    BlockShutdown(form_.Handle(), true);
  }
  ~TTransferScope() {
    form_.Memo1->SelectLine(-1);
    BlockShutdown(form_.Handle(), false);
    form_.transferring_ = false;
    form_.close_requested_ = false;
    form_.BlockInput(false);
    if (focused_ && form_.Active() && focused_->CanFocus()) focused_->SetFocus();
  }
  TTransferScope(const TTransferScope&) = delete;
  TTransferScope& operator=(const TTransferScope&) = delete;

private:
  TForm1& form_;
  TWinControl* focused_;
};

TForm1::TForm1(TComponent* owner) : TForm(owner) {}
TForm1::~TForm1() = default;

void TForm1::FormCreate(TObject*) {
  // The line of the file being sent stays marked while the run keeps the
  // window from taking the focus.
  Memo1->SetHideSelection(false);

  // The settings: the last destination and the last action.
  {
    const TSettingsFile ini(SettingsPath());
    Edit1->SetText(ini.ReadString(kSection, "ToPath", ""));
    RadioGroup1->SetItemIndex(ini.ReadInteger(kSection, "Action", 0));
  }
  source_files_.clear();
  sources_made_ = true;
  dir_list_ = std::make_unique<TStringList>();

  // The files the shell sent, in order, by their true names (the code-page
  // command line has already lost what the code page cannot hold); the memo
  // shows their names.
  const std::vector<TFileName> args = CommandLineFiles();
  for (size_t i = 0; i < args.size(); ++i) {
    if (i == 0) Memo1->SetHint(FolderPart(args[i].Shown()));
    Memo1->Lines()->Add(args[i].Name().Shown());
    source_files_.push_back(args[i]);
  }
  if (!args.empty()) SetCaption(args.back().Shown());

  // The favourites, when their file is there at all.
  const TFileName favourites = FavouritesPath();
  if (FileExists(favourites)) {
    favourites_unread_ = true;
    LoadLines(*dir_list_, favourites);
    favourites_unread_ = false;
    RefreshDirListBox();
  }

  DragAcceptFiles(Handle(), TRUE);
}

void TForm1::FormClose(TObject*, TCloseAction& action) {
  if (transferring_) {
    // Carried out once the run is over; a question up now ends unanswered,
    // which skips its file.
    close_requested_ = true;
    action = caNone;
    if (Form2 && Form2->Modal()) Form2->Close();
    return;
  }
  // The files are written on a worker while the window goes on answering (a
  // flush can take a second on a busy disk); it takes no input meanwhile,
  // and a second close waits for the first.
  if (saving_) {
    action = caNone;
    return;
  }
  saving_ = true;
  BlockInput(true);
  struct Saved {
    TForm1& form;
    ~Saved() {
      form.saving_ = false;
      form.BlockInput(false);
    }
  } saved{*this};
  TWorker worker;
  SaveState(&worker);
  dir_list_.reset();
}

void TForm1::SaveState(TWorker* worker) {
  // What the windows hold is read here; the files are written by the worker
  // when there is one.
  const TFileName destination = TFileName::FromWide(Edit1->WideText());
  const int action = RadioGroup1->ItemIndex();
  const auto write = [&] {
    TSettingsFile ini(SettingsPath());
    // A folder the code page cannot hold would be stored as another one: the
    // file keeps the folder it had.
    if (destination.Exact()) ini.WriteString(kSection, "ToPath", destination.Shown());
    ini.WriteInteger(kSection, "Action", action);
    if (dir_list_) SaveFavourites();
  };
  if (worker) worker->Run(write);
  else write();
}

void TForm1::SaveFavourites() {
  // A close that fails leaves DirList as it is, so every row of the list
  // still names its folder; the next close starts again from the file.
  const TFileName path = FavouritesPath();
  TStringList lines;
  bool current = true;
  if (FileExists(path)) {
    // Whatever keeps the file from being read now (another program holding
    // it, a folder of its name, more than memory takes) counts alike.
    try {
      LoadLines(lines, path);
    } catch (...) {
      current = false;
    }
  }
  if (current) {
    for (const std::string& folder : put_first_) PutFavouriteFirst(lines, folder);
  } else if (favourites_unread_) {
    return;  // never read, so never replaced by this run's list
  } else {
    lines.Clear();
    lines.AddStrings(*dir_list_);
  }
  while (lines.Count() > 30) lines.Delete(30);
  SaveLines(lines, path);
}

void TForm1::RefreshDirListBox() {
  if (!dir_list_) return;
  TStrings* items = ListBox1->Items();
  items->BeginUpdate();
  try {
    items->Clear();
    for (int i = 0; i < dir_list_->Count(); ++i) items->Add(FavouriteDisplayText(dir_list_->Strings(i)));
  } catch (...) {
    items->EndUpdate();
    throw;
  }
  items->EndUpdate();
}

void TForm1::ListBox1Click(TObject*) {
  if (!dir_list_) return;
  const int row = ListBox1->ItemIndex();
  if (row < 0 || row >= dir_list_->Count()) return;
  Edit1->SetText(dir_list_->Strings(row));
}

void TForm1::SpeedButton1Click(TObject*) {
  Edit1->SetWideText(GetSpecialFolderPath(CSIDL_DESKTOP_FOLDER).Wide());
}

void TForm1::SpeedButton2Click(TObject*) {
  Edit1->SetWideText(GetSpecialFolderPath(CSIDL_DOCUMENTS_FOLDER).Wide());
}

void TForm1::Button2Click(TObject*) {
  if (transferring_) return;
  // The picker opens on the folder in the field when it names something.
  TFileName path = TFileName::FromWide(Edit1->WideText());
  const int noPreselect = FileExists(path) ? 0 : 1;
  if (BrowseForFolder(Handle(), noPreselect, "", path) == 1) Edit1->SetWideText(path.Wide());
}

void TForm1::CuteButton2Click(TObject*) { Close(); }

void TForm1::CuteButton1Click(TObject*) {
  // A second click that arrives while the shell works starts nothing, and
  // nothing starts once the session has ended.
  if (transferring_ || session_ended_ || !sources_made_ || !dir_list_) return;
  bool close = false;
  {
    TTransferScope running(*this);
    TWorker worker;
    TMainWindowTransfer site(*this, worker);
    // The run works on its own copy of the files and of the folder typed.
    const std::vector<TFileName> sources = source_files_;
    const bool done = SendFiles(sources, TFileName::FromWide(Edit1->WideText()), ProgramFolder(),
                                RadioGroup1->ItemIndex(), *dir_list_, site);
    close = done || close_requested_ || session_ended_;
  }
  if (close) Close();
}

void TForm1::Dispatch(TMessage& m) {
  switch (m.Msg) {
    case WM_DROPFILES:
      FormDropFiles(m);
      return;
    case WM_QUERYENDSESSION:
      // A file is not cut off halfway: the session waits for the run.
      if (transferring_) {
        m.Result = FALSE;
        return;
      }
      break;
    case WM_ENDSESSION:
      if (m.WParam && !session_ended_) {
        session_ended_ = true;
        // The process may be ended as soon as this returns: what a close
        // writes is written now. A run in progress starts nothing more and
        // closes the window when it ends.
        if (!transferring_ && !saving_) SaveState(nullptr);
      }
      m.Result = 0;
      return;
    default:
      break;
  }
  TForm::Dispatch(m);
}

void TForm1::FormDropFiles(TMessage& m) {
  HDROP drop = reinterpret_cast<HDROP>(m.WParam);
  // The shell's drop data is released whatever happens below.
  struct Finish {
    HDROP drop;
    ~Finish() { DragFinish(drop); }
  } finish{drop};
  if (transferring_) return;  // the files of a run in progress stay
  const std::vector<TFileName> files = DroppedFiles(drop);
  if (!files.empty() && sources_made_) {
    Memo1->Lines()->Clear();
    source_files_.clear();
    for (const TFileName& f : files) {
      Memo1->Lines()->Add(f.Name().Shown());
      source_files_.push_back(f);
    }
  }
}

}  // namespace orlo
