#include "resource_strings.h"

namespace orlo::res {

const char* const SFOpenError = "ﾌｧｲﾙ %s は開けません";
const char* const SFCreateError = "ﾌｧｲﾙ %s を作成できません";
const char* const SReadError = "ｽﾄﾘｰﾑからの読み込みｴﾗｰ";
const char* const SWriteError = "ｽﾄﾘｰﾑへの書き込みｴﾗｰ";
const char* const SListIndexError = "ﾘｽﾄのｲﾝﾃﾞｯｸｽが範囲を超えています";
const char* const SIniFileWriteError = "%s に書き込めません";

const char* const SInvalidImage = "不正なｽﾄﾘｰﾑ形式です";
const char* const SClassNotFound = "ｸﾗｽ %s が見つかりません";
const char* const SUnknownProperty = "ﾌﾟﾛﾊﾟﾃｨが存在しません";
const char* const SInvalidPropertyPath = "不正なﾌﾟﾛﾊﾟﾃｨのﾊﾟｽです";
const char* const SReadOnlyProperty = "ﾌﾟﾛﾊﾟﾃｨは書き込み禁止です";
const char* const SInvalidPropertyValue = "不正なﾌﾟﾛﾊﾟﾃｨの値です";
const char* const SDuplicateName = "ｺﾝﾎﾟｰﾈﾝﾄ名 %s は既に存在します";
const char* const SInvalidName = "%s は有効なｺﾝﾎﾟｰﾈﾝﾄ名ではありません";
const char* const SResNotFound = "ﾘｿｰｽ %s が見つかりません";
const char* const SAncestorNotFound = "継承元のｺﾝﾎﾟｰﾈﾝﾄ %s が見つかりません";
const char* const SUnresolvedReference = "参照先のｺﾝﾎﾟｰﾈﾝﾄ %s が見つかりません";

const char* const SInvalidCast = "不正な型変換です";
const char* const SAssignError = "%s を %s に代入できません";
const char* const SParentRequired = "ｺﾝﾄﾛｰﾙ '%s' は親ｳｨﾝﾄﾞｳを持っていません";
const char* const SNoTimers = "ﾀｲﾏｰを取得できません";
const char* const SOutOfResources = "ｼｽﾃﾑﾘｿｰｽが不足しています";
const char* const SCannotFocus = "非表示または無効なｳｨﾝﾄﾞｳにﾌｫｰｶｽを移動できません";
const char* const SCannotShowModal = "表示中または無効なｳｨﾝﾄﾞｳはﾓｰﾀﾞﾙ表示できません";
const char* const SControlParentSelf = "ｺﾝﾄﾛｰﾙを自分自身の親にはできません";
const char* const SVisibleChanged = "OnShow または OnHide の中では Visible を変更できません";
const char* const SWindowClass = "ｳｨﾝﾄﾞｳｸﾗｽを登録できません";
const char* const SInvalidBitmap = "ﾋﾞｯﾄﾏｯﾌﾟｲﾒｰｼﾞが不正です";
const char* const SWorkerBusy = "ｽﾚｯﾄﾞは別の処理を実行中です";

namespace {
struct NumberedString {
  int id;
  const char* text;
};
const NumberedString kNumbered[] = {
    {SMsgDlgWarning, "警告"},      {SMsgDlgError, "ｴﾗｰ"},
    {SMsgDlgInformation, "情報"},  {SMsgDlgConfirm, "確認"},
    {SMsgDlgYes, "はい(&Y)"},      {SMsgDlgNo, "いいえ(&N)"},
    {SMsgDlgOK, "OK"},             {SMsgDlgCancel, "ｷｬﾝｾﾙ"},
    {SMsgDlgHelp, "ﾍﾙﾌﾟ(&H)"},     {SMsgDlgAbort, "中止(&A)"},
    {SMsgDlgRetry, "再試行(&R)"},  {SMsgDlgIgnore, "無視(&I)"},
    {SMsgDlgAll, "すべて(&A)"},
};
}  // namespace

const char* LoadResString(int id) {
  for (const auto& s : kNumbered)
    if (s.id == id) return s.text;
  return "";
}

}  // namespace orlo::res
