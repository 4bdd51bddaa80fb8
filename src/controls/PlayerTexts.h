// Every text the player reads, in one place: the window's captions, tool tips and
// names for screen readers, the message boxes' texts and the page's own notices. A
// translation touches this file alone. (The platform's own box title,
// MessageBoxes::kAppTitle, and the page's notice that the game could not load at all,
// which no core is there to give, are the two texts kept beside their code.)
#pragma once

namespace zv::texts {

inline constexpr const char* kWindowCaption = "Zorvanta?";

// The controls' captions and tool tips.
inline constexpr const char* kStart = "START";
inline constexpr const char* kStop = "STOP";
inline constexpr const char* kReplay = "REPLAY";
inline constexpr const char* kShowAnswer = "正解表示";
inline constexpr const char* kNextQuestion = "次の問題";
inline constexpr const char* kModeFrame = "MODE ";
inline constexpr const char* kModes[2] = {"メロディー", "単音"};
inline constexpr const char* kDifficultyFrame = "難易度";
inline constexpr const char* kDifficulties[3] = {"Easy", "Nomal", "Difficult "};
inline constexpr const char* kDifficultyTips[3] = {"3メロディー", "5メロディー", "8メロディー"};
inline constexpr const char* kKeyRangeFrame = "詳細設定";
inline constexpr const char* kKeyRanges[4] = {"全鍵盤使用", "白鍵盤のみ", "1オクターブのみ", "１オクターブの白鍵盤"};
inline constexpr const char* kTimeLimitFrame = "制限時間設定";
inline constexpr const char* kNoLimit = "無制限";
inline constexpr const char* kInfinity = "∞";
inline constexpr const char* kNoteNames = "音階表示";
inline constexpr const char* kNoteNamesTip = "鍵盤にドレミを表示させます\u3000(プレイ中に変更も可能)";
inline constexpr const char* kAskDemonstration = "正解確認";
inline constexpr const char* kAskDemonstrationTip = "問題ごとに正解を表示するかどうか尋ねます\u3000(プレイ中に変更も可能)";
inline constexpr const char* kBanner = "START!";

// Names for screen readers of the controls that show no text of their own.
inline constexpr const char* kWhiteNotes[7] = {"ド", "レ", "ミ", "ファ", "ソ", "ラ", "シ"};
inline constexpr const char* kBlackNotes[5] = {"ド#", "レ#", "ファ#", "ソ#", "ラ#"};
inline constexpr const char* kUpperOctave = "高い";
inline constexpr const char* kWhiteKey = "白鍵";
inline constexpr const char* kBlackKey = "黒鍵";
inline constexpr const char* kPlayedByPcKey = "、PCキー ";
inline constexpr const char* kTimeLimit = "制限時間";
inline constexpr const char* kVerdictBox = "判定";
inline constexpr const char* kVerdicts[3] = {"正解", "不正解", "ゲームオーバー"};

// The message boxes.
inline constexpr const char* kShowTheAnswer = "正解を表示しますか?";
inline constexpr const char* kSingleNoteSummary = "単音:";
inline constexpr const char* kMelodySummary = "音メロディー:";
inline constexpr const char* kSeconds = "秒";
inline constexpr const char* kQuestions = "問題数:";
inline constexpr const char* kRights = "正解数:";
inline constexpr const char* kRate = "正解率:";
inline constexpr const char* kCannotFind = " が見つかりません。";
inline constexpr const char* kCannotFindPicture = "Cannot find the picture ";

// The page's own notices and its dialogs' buttons.
inline constexpr const char* kPageEnded = "ゲームを終了しました。";
inline constexpr const char* kPageAgain = "もう一度始める";
inline constexpr const char* kPageTurnPhone = "画面を横向きにしてください。";
inline constexpr const char* kPageMissingPicture = "絵のファイルが読み込めないため、ゲームを始められません。";
inline constexpr const char* kPageMidi = "MIDIキーボードを使う";
inline constexpr const char* kPageSing = "歌って答える";
inline constexpr const char* kPageNoMicrophone = "マイクが見つかりません。マイクをつないでから、もう一度押してください。";
inline constexpr const char* kPageMicrophoneRefused =
    "マイクの使用が許可されていません。歌って答えるには、ブラウザーの設定でこのページにマイクを許可してください。";
inline constexpr const char* kPageVoiceUnavailable = "歌の聞き取りを読み込めませんでした。ページを読み込み直してください。";
inline constexpr const char* kPageKeepProgress = "成績を記録する";
inline constexpr const char* kPageNotKept = "成績を記録できません。ゲームはそのまま続けられます。";
inline constexpr const char* kPageClose = "閉じる";
inline constexpr const char* kYes = "Yes";
inline constexpr const char* kNo = "No";
inline constexpr const char* kOk = "OK";

// The progress view (成績): its titles, its figures' words, and the controls and
// notices around it on the page and the desktop.
inline constexpr const char* kProgress = "成績";
inline constexpr const char* kProgressSetting = "設定:";
inline constexpr const char* kProgressAllSettings = "すべて";
inline constexpr const char* kProgressGames = "ゲーム数:";
inline constexpr const char* kProgressPractice = "練習時間:";
inline constexpr const char* kProgressHours = "時間";
inline constexpr const char* kProgressMinutes = "分";
inline constexpr const char* kProgressStreak = "連続練習:";
inline constexpr const char* kProgressLongest = "最長:";
inline constexpr const char* kProgressBestDay = "最高の日:";
inline constexpr const char* kProgressDays = "日";
inline constexpr const char* kProgressQuestionsUnit = "問";
inline constexpr const char* kProgressGamesUnit = "ゲーム";
inline constexpr const char* kProgressTimes = "回";
inline constexpr const char* kProgressPerDay = "日別の正解率";
inline constexpr const char* kProgressNothingYet = "まだ記録がありません";
inline constexpr const char* kProgressPerKey = "鍵盤ごとの正解率";
inline constexpr const char* kProgressNeverAsked = "出題なし";
inline constexpr const char* kProgressNone = "まだありません";
inline constexpr const char* kProgressLeaps = "間違えやすい音程";
inline constexpr const char* kProgressPlayedInstead = "正解の代わりに弾いた音";
inline constexpr const char* kProgressPerSetting = "設定ごとの正解率";
inline constexpr const char* kProgressOthers = "ほか";
inline constexpr const char* kProgressKinds = "種類";
inline constexpr const char* kLeapNames[12] = {"同音", "短2度", "長2度", "短3度", "長3度", "完全4度",
                                               "増4度", "完全5度", "短6度", "長6度", "短7度", "長7度"};
inline constexpr const char* kLeapOctave = "オクターブ";
inline constexpr const char* kProgressExport = "CSV書き出し";
inline constexpr const char* kProgressImport = "CSV読み込み";
inline constexpr const char* kProgressCannotImport = "読み込めません: ";
inline constexpr const char* kProgressTooLarge = " MB より大きいファイルです。";
inline constexpr const char* kProgressImportedGames = "件のゲームを読み込みました(";
inline constexpr const char* kProgressAlreadyKept = "件は記録済み)。";
inline constexpr const char* kProgressCannotExport = "書き出せません: ";
inline constexpr const char* kProgressExportedGames = "件のゲーム(";
inline constexpr const char* kProgressExportedQuestions = "問)を書き出しました。";
inline constexpr const char* kProgressCsvFiles = "CSVファイル (*.csv)";
inline constexpr const char* kProgressCsvFileName = "zorvanta-history.csv";  // the name an export suggests
inline constexpr const char* kProgressForget = "履歴を消去";
inline constexpr const char* kProgressAskForget = "これまでの成績をすべて消去しますか?";
inline constexpr const char* kProgressNotForgotten = "成績を消去できませんでした。";
inline constexpr const char* kProgressNewer = "この記録は新しいバージョンのものです。読み取り専用で表示しています。";
inline constexpr const char* kProgressUnreadable = "記録を読めません。";

}  // namespace zv::texts
