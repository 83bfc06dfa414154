#include "app/check_report.h"

#include "support/text.h"

#include <algorithm>

namespace quellix {

namespace {

enum class Verdict { Ok, Note, Problem };

// The report's lines in their sections; the summary is put together at the end, on top.
class Report {
public:
    void Section(std::string_view title) { body_ += "\r\n■ " + std::string{title} + "\r\n"; }

    void Add(Verdict verdict, std::string_view fact, std::string_view todo = {}) {
        static constexpr std::string_view kMarks[]{"[OK]   ", "[注意] ", "[問題] "};
        body_ += kMarks[static_cast<int>(verdict)];
        body_ += fact;
        body_ += "\r\n";
        if (!todo.empty()) {
            body_ += "       → ";
            body_ += todo;
            body_ += "\r\n";
        }
        if (verdict == Verdict::Problem) {
            ++problems_;
        }
    }
    void Detail(std::string_view text) { body_ += "       " + std::string{text} + "\r\n"; }

    [[nodiscard]] const std::string& Body() const noexcept { return body_; }
    [[nodiscard]] int Problems() const noexcept { return problems_; }

private:
    std::string body_;
    int problems_ = 0;
};

std::string Count(std::size_t n) {
    return std::to_string(n) + " 件";
}

std::string Quoted(std::string_view text) {
    std::string quoted{"「"};
    quoted += text;
    quoted += "」";
    return quoted;
}

std::string OrNone(std::string_view text) {
    return text.empty() ? std::string{"(なし)"} : std::string{text};
}

void System(const CheckFacts& f, Report& r) {
    r.Section("このパソコン");
    r.Add(Verdict::Ok, "Quellix のバージョン: " + OrNone(f.ProgramVersion));
    r.Add(Verdict::Ok, "Windows のバージョン: " + OrNone(f.WindowsVersion));
    if (f.CodePage == 932) {
        r.Add(Verdict::Ok, "文字コード (ANSI コードページ): 932 (日本語)");
    } else {
        r.Add(Verdict::Note,
              "文字コード (ANSI コードページ): " + std::to_string(f.CodePage) + " (日本語ではありません)",
              "日本語の番組名や放送局名が正しく読めないことがあります。コントロールパネルの「地域」→「管理」→"
              "「Unicode 対応ではないプログラムの言語」を日本語にしてください。");
    }
    r.Add(Verdict::Ok, "短い日付の形式: " + OrNone(f.ShortDate) + "  時刻の形式: " + OrNone(f.TimeFormat));
}

void Host(const CheckFacts& f, Report& r) {
    r.Section("Pexlan");
    if (!f.RootPath) {
        r.Add(Verdict::Problem, "Pexlan のフォルダー (レジストリの RootPath) が登録されていません",
              "Pexlan を一度起動して終了してください。それまで pex.log と表はドライブの直下に置かれます。");
    } else if (!f.RootExists) {
        r.Add(Verdict::Problem, "Pexlan のフォルダーがありません: " + *f.RootPath,
              "Pexlan を入れ直すか、一度起動して終了してください。");
    } else {
        r.Add(Verdict::Ok, "Pexlan のフォルダー: " + *f.RootPath);
    }
    r.Add(Verdict::Ok, "pex.log を書く場所: " + f.LogFile);
    r.Add(Verdict::Ok,
          "チャンネルの表 (pexTVCHNo.csv, tvconvert.csv, tvchdata.csv) の場所: " + ExtractFilePath(f.LogFile));
    if (f.VirtualStore) {
        std::string names;
        for (const std::string& name : f.FilesInVirtualStore) {
            names += (names.empty() ? "" : ", ") + name;
        }
        r.Add(Verdict::Note,
              "Windows はこのユーザーの分の Pexlan のファイル (" + names +
                  ") を別のフォルダーに置いています: " + *f.VirtualStore,
              "エクスプローラーで Pexlan のフォルダーを開き、「互換性ファイル」を押すと見えます。");
    }
    if (f.SettingsWindowOpen) {
        r.Add(Verdict::Note, "Quellix がほかに動いています (設定画面が開いたままかもしれません)",
              "開いている Quellix の画面を閉じてください。開いている間、Pexlan からの取り込みは動きません。");
    }
}

void ReserveFolder(const CheckFacts& f, Report& r) {
    r.Section("予約フォルダー");
    if (!f.ReserveExists) {
        r.Add(Verdict::Problem, "予約フォルダーがありません: " + f.ReserveDir,
              "Pexlan の登録で Quellix に渡すフォルダーを確かめてください。");
        return;
    }
    r.Add(Verdict::Ok, "予約フォルダー: " + f.ReserveDir);
    if (f.ReserveWritable) {
        r.Add(Verdict::Ok, "予約フォルダーに書き込めます");
    } else {
        r.Add(Verdict::Problem, "予約フォルダーに書き込めません",
              "フォルダーの読み取り専用やアクセス許可を確かめてください。");
    }
    r.Add(Verdict::Ok, "いま予約フォルダーにある予約ファイル (.tvpi): " + Count(f.TvpiCount));
    if (f.DeckName.empty()) {
        r.Add(Verdict::Problem, "録画機の名前がフォルダー名から取れません",
              "予約フォルダーは reserve\\<録画機の名前> のように指定してください。");
    } else {
        r.Add(Verdict::Ok, "録画機の名前 (フォルダー名から): " + f.DeckName);
    }
}

void Tuner(const CheckFacts& f, Report& r) {
    r.Section("チューナー");
    r.Add(Verdict::Ok,
          "地域番号 (LocationIdx): " + (f.LocationIdx ? std::to_string(*f.LocationIdx) : "(なし, 0 とします)"));
    r.Add(Verdict::Ok,
          "チューナーのフォルダー (Dir): " + (f.TunerDir ? *f.TunerDir : "(なし, 決まった場所を探します)"));
    bool found = false;
    for (const ChannelPlace& place : f.Places) {
        switch (place.State) {
        case PlaceState::Found:
            r.Add(Verdict::Ok,
                  (found ? "チャンネルファイルあり (使いません): " : "チャンネルファイルあり (これを使います): ") +
                      place.Path);
            found = true;
            break;
        case PlaceState::Missing:
            r.Add(Verdict::Ok, "チャンネルファイルなし: " + place.Path);
            break;
        case PlaceState::Unreadable:
            r.Add(found ? Verdict::Note : Verdict::Problem, "チャンネルファイルを読めません: " + place.Path,
                  "ファイルのアクセス許可を確かめてください。");
            break;
        case PlaceState::Held:
            r.Add(found ? Verdict::Note : Verdict::Problem,
                  "チャンネルファイルをほかのプログラムが使っています: " + place.Path,
                  "チューナーのソフトのチャンネル設定を閉じてから、もう一度試してください。");
            break;
        }
    }
    if (!found) {
        r.Add(Verdict::Problem, "チャンネルファイルが見つかりません。チャンネルの表は今のままです",
              "チューナーのソフトでチャンネル設定を済ませるか、設定画面でチャンネルファイルのフォルダーを指定してくださ"
              "い。");
        return;
    }
    r.Add(f.Stations.empty() ? Verdict::Problem : Verdict::Ok,
          "チャンネルファイルの放送局: " + Count(f.Stations.size()),
          f.Stations.empty() ? "チューナーのソフトでチャンネル設定を済ませてください。" : "");
    for (const CheckedStation& s : f.Stations) {
        std::string line = s.Number + " = " + s.Name;
        if (s.Renamed != s.Name) {
            line += " → " + s.Renamed + " (tvconvert.csv で置き換え)";
        }
        if (s.Stored != s.Renamed) {
            r.Add(Verdict::Note,
                  line + ": 表には " + std::to_string(f.StationNameSize) + " バイトまでの " + Quoted(s.Stored) +
                      " で入ります",
                  "Pexlan の放送局名と合わないときは、tvconvert.csv で短い名前に置き換えてください。");
        } else {
            r.Detail(line);
        }
    }
    for (const std::string& line : f.UnreadableLines) {
        r.Add(Verdict::Note, "チャンネルファイルの番号か名前のない行: " + Quoted(line),
              "チューナーのソフトでチャンネル設定をやり直すと直ります。");
    }
}

void Tables(const CheckFacts& f, Report& r) {
    r.Section("チャンネルの表 (pexTVCHNo.csv)");
    std::vector<std::string> changes;
    for (const DeckRow& row : f.RowsAfter) {
        const auto same = std::find_if(f.RowsBefore.begin(), f.RowsBefore.end(),
                                       [&](const DeckRow& b) { return b.Station == row.Station; });
        if (same == f.RowsBefore.end()) {
            changes.push_back("追加: " + OrNone(row.Number) + " = " + OrNone(row.Station));
        } else if (same->Number != row.Number) {
            changes.push_back("変更: " + row.Station + " の番号 " + OrNone(same->Number) + " → " + OrNone(row.Number));
        }
    }
    if (changes.empty()) {
        r.Add(Verdict::Ok, "取り込みで変わる行: なし");
    } else {
        r.Add(Verdict::Ok, "取り込みで変わる行: " + Count(changes.size()));
        for (const std::string& change : changes) {
            r.Detail(change);
        }
    }
    const bool fileFound = std::any_of(f.Places.begin(), f.Places.end(),
                                       [](const ChannelPlace& p) { return p.State == PlaceState::Found; });
    // Without a channel file the tuner's section has told the problem already.
    r.Add(!f.RowsAfter.empty() ? Verdict::Ok
          : fileFound          ? Verdict::Problem
                               : Verdict::Note,
          "取り込み後の「" + f.DeckName + "」の行: " + Count(f.RowsAfter.size()),
          f.RowsAfter.empty() ? "チャンネルファイルが見つかるようにしてください (上の「チューナー」)。" : "");
    for (const DeckRow& row : f.RowsAfter) {
        r.Detail(OrNone(row.Number) + " = " + OrNone(row.Station));
    }
    for (const std::string& notice : f.TableNotices) {
        r.Add(Verdict::Note, notice, "表のファイルを表計算ソフトで編集したときは、列と長さを元に戻してください。");
    }
}

std::string OutcomeTodo(TaskOutcome outcome) {
    switch (outcome) {
    case TaskOutcome::Written:
        return {};
    case TaskOutcome::NoNextRun:
        return "この予約は次に動く日時がありません "
               "(終わった予約か、無効にされたタスク)。チューナーのソフトで予約を確かめてください。";
    case TaskOutcome::UnreadableNextRun:
        return "次回実行日時が上の日付と時刻の形式で読めません。Windows の日付と時刻の形式を確かめてください。";
    case TaskOutcome::NoStation:
        return "この録画機のこのチャンネルの行がチャンネルの表にありません。上の「チューナー」と「チャンネルの表」を確"
               "かめてください。";
    case TaskOutcome::FileNotCreated:
    case TaskOutcome::FileNotWritten:
        return "予約フォルダーに書き込めるか確かめてください。";
    }
    return {};
}

void Scheduler(const CheckFacts& f, Report& r) {
    r.Section("タスク スケジューラ");
    if (!f.ToolStarted) {
        r.Add(Verdict::Problem, "タスク スケジューラの一覧 (schtasks.exe) を取れません: " + OrNone(f.ToolError),
              "Windows の「Task Scheduler」サービスが動いているか確かめてください。");
        return;
    }
    if (f.ExitCode != 0 || !f.Listed) {
        r.Add(
            Verdict::Problem,
            "タスク スケジューラの一覧を取れません (終了コード " + std::to_string(f.ExitCode) +
                "): " + OrNone(f.ToolError),
            "取り込みは前回の予約ファイルをそのまま残します。Windows の「Task Scheduler」サービスを確かめてください。");
        return;
    }
    r.Add(Verdict::Ok, "タスク スケジューラの一覧: 終了コード 0, タスク " + Count(f.TaskCount) +
                           ", うちチューナーの予約 " + Count(f.Tasks.size()));
    for (const CheckedTask& t : f.Tasks) {
        const std::string fact = "タスク " + Quoted(t.TaskName) + " 番組 " + Quoted(t.Title) + " 次回実行 " +
                                 Quoted(t.NextRun) + (t.Start.empty() ? "" : " (開始 " + t.Start + ")") +
                                 " チャンネル " + OrNone(t.Channel) + " 放送局 " + OrNone(t.Station);
        if (t.Outcome == TaskOutcome::Written) {
            r.Add(Verdict::Ok, fact);
            r.Detail("予約ファイル: " + ExtractFileName(t.FileName));
        } else {
            r.Add(Verdict::Problem, fact);
            r.Detail("取り込みで pex.log に書かれる行: " + t.Reason);
            r.Detail("→ " + OutcomeTodo(t.Outcome));
        }
    }
    for (const OtherTask& t : f.Others) {
        r.Add(Verdict::Note, "タスク " + Quoted(t.TaskName) + " は " + std::string{"PcastDigi.exe"} +
                                 " の名前を含みますが、実行するのは " + Quoted(t.Program) +
                                 " なので予約として扱いません");
    }
}

} // namespace

std::string BuildCheckReport(const CheckFacts& f) {
    Report r;
    System(f, r);
    Host(f, r);
    ReserveFolder(f, r);
    Tuner(f, r);
    Tables(f, r);
    Scheduler(f, r);
    if (!f.RunErrors.empty()) {
        r.Section("取り込みが pex.log に書くエラー");
        for (const std::string& line : f.RunErrors) {
            r.Add(Verdict::Problem, line, "上の同じ項目の説明を見てください。");
        }
    }

    std::size_t imported = 0;
    std::size_t dropped = 0;
    for (const CheckedTask& t : f.Tasks) {
        ++(t.Outcome == TaskOutcome::Written && f.ReserveExists ? imported : dropped);
    }
    int taskProblems = 0;
    for (const CheckedTask& t : f.Tasks) {
        taskProblems += t.Outcome != TaskOutcome::Written ? 1 : 0;
    }
    const int otherProblems = r.Problems() - taskProblems;
    Report summary;
    summary.Add(Verdict::Ok, "取り込まれる予約: " + Count(imported));
    if (dropped > 0) {
        summary.Add(Verdict::Problem, "取り込まれない予約: " + Count(dropped));
        for (const CheckedTask& t : f.Tasks) {
            if (t.Outcome != TaskOutcome::Written) {
                summary.Detail(Quoted(t.Title) + ": " + t.Reason);
            } else if (!f.ReserveExists) {
                summary.Detail(Quoted(t.Title) + ": 予約フォルダーがありません");
            }
        }
    }
    if (otherProblems > 0) {
        summary.Add(Verdict::Problem, "ほかの問題: " + Count(static_cast<std::size_t>(otherProblems)),
                    "下の [問題] の行と、その次の → の行を見てください。");
    } else if (dropped == 0) {
        summary.Add(Verdict::Ok, "問題は見つかりませんでした");
    }
    return "Quellix の点検 (" + f.Now + ")\r\n" +
           "この点検はファイルを何も書き換えません。[OK] は問題なし、[注意] は確かめること、[問題] "
           "は直すことです。\r\n" +
           "\r\n■ まとめ\r\n" + summary.Body() + r.Body();
}

} // namespace quellix
