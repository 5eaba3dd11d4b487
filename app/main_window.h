// The main window: the files to send, the destination, the move/copy choice
// and the favourite folders; OK runs the transfer.
#pragma once
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "file_names.h"
#include "forms.h"

namespace orlo {

class TButton;
class TCuteButton;
class TEdit;
class TGradBox;
class TLabel;
class TListBox;
class TMemo;
class TRadioGroup;
class TSpeedButton;
class TStringList;
class TWorker;

class TForm1 : public TForm {
  ORLO_CLASS(TForm1)
public:
  explicit TForm1(TComponent* owner);
  ~TForm1() override;

  TGradBox* GradBox1 = nullptr;
  TRadioGroup* RadioGroup1 = nullptr;
  TListBox* ListBox1 = nullptr;
  TLabel* Label1 = nullptr;
  TLabel* Label2 = nullptr;
  TLabel* Label3 = nullptr;
  TEdit* Edit1 = nullptr;
  TLabel* Label4 = nullptr;
  TButton* Button2 = nullptr;
  TMemo* Memo1 = nullptr;
  TCuteButton* CuteButton1 = nullptr;
  TCuteButton* CuteButton2 = nullptr;
  TLabel* Label5 = nullptr;
  TLabel* Label6 = nullptr;
  TSpeedButton* SpeedButton1 = nullptr;
  TSpeedButton* SpeedButton2 = nullptr;

  void FormCreate(TObject* Sender);
  void Button2Click(TObject* Sender);
  void CuteButton1Click(TObject* Sender);
  void SpeedButton1Click(TObject* Sender);
  void SpeedButton2Click(TObject* Sender);
  void FormClose(TObject* Sender, TCloseAction& Action);
  void ListBox1Click(TObject* Sender);
  void CuteButton2Click(TObject* Sender);

  // Shows the favourites in ListBox1, long ones shortened; none selected.
  void RefreshDirListBox();

  // The files to transfer, in command-line (or drop) order, by both their
  // names; Memo1's line i shows the name of entry i.
  const std::vector<TFileName>& SourceFiles() const { return source_files_; }
  // The favourite folders, most recent first; null once the close released it.
  TStringList* DirList() const { return dir_list_.get(); }

  void Dispatch(TMessage& m) override;

  // The shell's move or copy of one file (ShellFileOp with the application's
  // window as owner); tests put a stand-in here.
  std::function<bool(const TFileName& source, const TFileName& dest, UINT operation)> FileOperation;

  // True while OK's transfer runs.
  bool Transferring() const { return transferring_; }

private:
  friend class TMainWindowTransfer;
  friend class TTransferScope;

  void FormDropFiles(TMessage& m);
  // What a close writes: the settings, then the favourites; the files by the
  // worker when one is given, while this thread answers the windows.
  void SaveState(TWorker* worker);
  // Writes the favourites file at close: its lines as they are now, with the
  // folders this run put first put first again, capped at 30. A file that
  // cannot be read now takes the whole list, unless it could not be read at
  // start either: then it is left as it is.
  void SaveFavourites();

  std::vector<TFileName> source_files_;
  bool sources_made_ = false;
  std::unique_ptr<TStringList> dir_list_;
  // The favourites file was there at start but could not be read: its lines
  // are not replaced by this run's list at close.
  bool favourites_unread_ = false;
  // While OK's transfer runs the window takes no input, and nothing the run
  // uses may go: the shell's progress window keeps messages flowing, so a
  // close, a click or a drop can still arrive. A close asked for meanwhile
  // waits for the end of the run.
  bool transferring_ = false;
  bool close_requested_ = false;
  // The session ended (WM_ENDSESSION): no run starts after it.
  bool session_ended_ = false;
  // A close is writing the settings and favourites.
  bool saving_ = false;
  // The folders this run put first, in order. Another window of the program
  // may have written the favourites file meanwhile: these are applied again
  // on top of what the file holds at the close.
  std::vector<std::string> put_first_;
};

extern TForm1* Form1;

// The settings file and the favourites file beside the program, by their
// true paths. The program folder already ends with a backslash; the names are
// added with another, as the messages about these files show them.
TFileName SettingsPath();
TFileName FavouritesPath();

// Favourites shown in the list: up to 20 bytes as they are, longer ones
// shortened to their first three bytes, "...\" and their name.
std::string FavouriteDisplayText(const std::string& folder);

}  // namespace orlo
