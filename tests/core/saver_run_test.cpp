// The saver as a whole on the headless back end: no allocation while it runs, music, input and
// the one way out.
#include <set>

#include "alloc_counter.h"
#include "engine/saver_form.h"
#include "fixture.h"
#include "platform/headless/headless_dialogs.h"
#include "preview/preview_form.h"

using namespace wumpets;

namespace {

class SaverRun : public fx::Headless {
 protected:
  std::vector<std::string> media() const {
    std::vector<std::string> out;
    for (const auto& c : headless::calls())
      if (c.rfind("media_command ", 0) == 0) out.push_back(c.substr(14));
    return out;
  }
  std::vector<std::string> plays() const {
    std::vector<std::string> out;
    for (const auto& m : media())
      if (m.rfind("play ", 0) == 0) out.push_back(m);
    return out;
  }
};

}  // namespace

TEST_F(SaverRun, NothingIsAllocatedOverAThousandFrames) {
  start_saver({"wumpet1=1", "wumpet2=1", "wumpet3=1", "wumpet4=1", "wumpet5=1", "notes1=1", "notes2=1", "peace=1",
               "hippie=1", "yellowrose=1", "redrose=1", "pinkrose=1", "whiterose=1", "discoball=1", "lavalamp=1",
               "colorchanger=1", "speed=60", "musicchoice0=1", "message=1", "messagetext=Peace"});
  headless::record_calls(false);
  headless::advance_ms(600);  // warm up: first ticks, first music poll
  const std::size_t before = allocations();
  headless::advance_ms(60 * 1000);  // a thousand frames and six music polls
  const std::size_t during = allocations() - before;
  headless::record_calls(true);
  EXPECT_EQ(during, 0u);
  EXPECT_GE(st_.saver->framecounter, 0);
}

TEST_F(SaverRun, PlayListWithSongsOneAndFour) {
  write_data_folder();
  headless::set_song_length(cfg_.data_dir + "d_1.Mid", 25000);
  headless::set_song_length(cfg_.data_dir + "d_4.Mid", 5000);
  start_saver({"musicchoice1=1", "musicchoice4=1"});
  const auto m = media();
  ASSERT_GE(m.size(), 3u);
  EXPECT_EQ(m[0], "open \"" + cfg_.data_dir + "d_1.Mid\" type sequencer alias song1");
  EXPECT_EQ(m[1], "open \"" + cfg_.data_dir + "d_4.Mid\" type sequencer alias song4");
  EXPECT_EQ(m[2], "play song1 from 0");
  headless::advance_ms(60000);
  EXPECT_EQ(plays(), (std::vector<std::string>{"play song1 from 0", "play song4 from 0", "play song1 from 0"}));
  // Song 1 is asked at 10, 20 and 30 s (stopped), song 4 at 40 s, song 1 again at 50 and 60 s.
  EXPECT_EQ(count_calls("media_command status song1 mode"), 5);
  EXPECT_EQ(count_calls("media_command status song4 mode"), 1);
}

TEST_F(SaverRun, OnlySongFiveRepeats) {
  write_data_folder();
  headless::set_song_length(cfg_.data_dir + "d_5.Mid", 15000);
  start_saver({"musicchoice5=1"});
  headless::advance_ms(60000);
  // A 15 s song is found stopped at the second poll after each start: plays at 0, 20, 40, 60 s.
  EXPECT_EQ(plays(), std::vector<std::string>(4, "play song5 from 0"));
}

TEST_F(SaverRun, NoSongChosenSendsNoCommandAtAll) {
  start_saver({});
  headless::advance_ms(30000);
  EXPECT_TRUE(media().empty());
}

TEST_F(SaverRun, AMissingFirstSongEndsTheSaverDuringSetUp) {
  write_data_folder();
  fx::fs::remove(dir_ / "data" / "d_2.Mid");
  write_settings({"firstrun=1", "musicchoice2=1", "musicchoice3=1"});
  EXPECT_TRUE(run_main("/s"));
  EXPECT_EQ(count_calls("window_show"), 0) << "ended before the window was shown";
  EXPECT_EQ(headless::cursor_count(), 0) << "the cursor is given back";
  // It ended because it failed: the log names the song and the exit status says so.
  EXPECT_EQ(count_calls("log_error the song " + cfg_.data_dir + "d_2.Mid cannot be played (media error 275)"), 1);
  EXPECT_EQ(count_calls("set_exit_status 1"), 1);
}

TEST_F(SaverRun, ReplyIsComparedOnItsFirstSevenCharacters) {
  struct Case {
    const char* suffix;
    bool next_played;
  } cases[] = {{"xyz", true}, {"", true}};
  for (const Case& c : cases) {
    fresh_starter();
    cfg_.status_suffix = c.suffix;
    headless::reset(cfg_);
    start_saver({"musicchoice0=1", "musicchoice1=1"});
    headless::clear_calls();
    headless::advance_ms(10000);  // song 0 (1 s long) has ended
    EXPECT_EQ(plays().size(), c.next_played ? 1u : 0u) << c.suffix;
    EXPECT_EQ(st_.scene.currentsong, 1);
  }
  // A song still playing is left alone.
  fresh_starter();
  cfg_.status_suffix = "";
  headless::reset(cfg_);
  write_data_folder();
  headless::set_song_length(cfg_.data_dir + "d_0.Mid", 15000);
  start_saver({"musicchoice0=1", "musicchoice1=1"});
  headless::clear_calls();
  headless::advance_ms(10000);
  EXPECT_TRUE(plays().empty());
  EXPECT_EQ(st_.saver->mcireturn, "playing");
}

TEST_F(SaverRun, KeysAndClicksEndTheSaverAndMovesDoNot) {
  for (int how = 0; how < 4; ++how) {
    fresh_starter();
    headless::reset(cfg_);
    start_saver({"wumpet1=1", "musicchoice0=1"});
    EXPECT_EQ(headless::cursor_count(), -1);
    headless::advance_ms(500);
    const plat::Handle w = saver_window();
    auto act = [&] {
      switch (how) {
        case 0: headless::click(w); break;
        case 1: headless::dblclick(w); break;
        case 2: headless::key(w, 65, 'a'); break;
        default: headless::close_request(w); break;
      }
    };
    EXPECT_THROW(act(), headless::ProcessEnded) << how;
    EXPECT_EQ(headless::cursor_count(), 0);
    // The song that was playing was stopped and closed, then every surface deleted.
    EXPECT_EQ(count_calls("media_command stop song0"), 1);
    EXPECT_EQ(count_calls("media_command close song0"), 1);
    EXPECT_EQ(count_calls("media_command close song1"), 0);
  }
}

TEST_F(SaverRun, PasswordIsAskedOnlyOnThe95FamilyWithProtectionOn) {
  struct Case {
    std::int32_t platform;
    const char* value;
    bool accepted;
    bool asked;
  } cases[] = {{1, "1", true, true}, {1, "1", false, true}, {2, "1", true, false}, {1, "2", true, false}, {0, "1", true, false}};
  for (const Case& c : cases) {
    fresh_starter();
    cfg_.platform_id = c.platform;
    cfg_.password_accepted = c.accepted;
    cfg_.registry["Control Panel\\Desktop\\ScreenSaveUsePassword"] = {1, std::string(c.value) + '\0'};
    headless::reset(cfg_);
    start_saver({"wumpet1=1", "speed=60"});
    EXPECT_EQ(count_calls("set_saver_running 1"), c.asked ? 1 : 0);
    bool ended = false;
    try {
      headless::click(saver_window());
    } catch (const headless::ProcessEnded&) {
      ended = true;
    }
    SCOPED_TRACE(c.platform);
    EXPECT_EQ(count_calls("verify_saver_password"), c.asked ? 1 : 0);
    EXPECT_EQ(ended, !c.asked || c.accepted);
    if (!ended) {
      EXPECT_EQ(headless::cursor_count(), -1) << "refused: hidden again, still running";
      headless::advance_ms(120);
      EXPECT_GT(st_.saver->framecounter, 0);
    } else if (c.asked) {
      EXPECT_EQ(count_calls("set_saver_running 0"), 1) << "task switching given back";
    }
  }
}

TEST_F(SaverRun, ShutdownDeletesSurfacesInOrder) {
  start_saver({"wumpet2=1", "wumpet4=1", "notes1=1", "notes2=1", "redrose=1", "peace=1"});
  const Scene& sc = st_.scene;
  const std::vector<plat::Handle> expected = {sc.wumpetdc(2),   sc.wumpetdc(4),   sc.wumpetmaskdc, sc.notes1dc(1),
                                              sc.notes1dc(2),   sc.notes2dc(1),   sc.notes2dc(2),  sc.notesmaskdc,
                                              sc.redrosedc,     sc.peacedc,       sc.backdc,       sc.bufferdc};
  headless::clear_calls();
  EXPECT_THROW(headless::click(saver_window()), headless::ProcessEnded);
  std::vector<plat::Handle> deleted;
  for (const auto& c : headless::calls())
    if (c.rfind("delete_dc ", 0) == 0) deleted.push_back(std::stoi(c.substr(10)));
  EXPECT_EQ(deleted, expected);
}

TEST_F(SaverRun, PreviewDrawsOneDancerCentredAndEndsWithItsHost) {
  write_data_folder();
  const plat::Handle host = headless::create_host_window(152, 112);
  ASSERT_FALSE(run_main("/p " + std::to_string(host)));
  ASSERT_NE(st_.preview, nullptr);
  const Sprite& d = st_.scene.wumpets(st_.scene.previewwumpet);
  EXPECT_EQ(d.x, 20);
  EXPECT_EQ(d.y, 5);
  const plat::Handle w = st_.preview->window;
  EXPECT_EQ(headless::window(w)->parent, host);
  EXPECT_EQ(count_calls("preview_embed " + std::to_string(w) + " " + std::to_string(host) + " 152 112"), 1);
  EXPECT_TRUE(headless::window(w)->visible);
  EXPECT_EQ(count_calls("load_bitmap"), 1);
  std::vector<int> shown;
  for (int t = 0; t < 8; ++t) {
    headless::advance_ms(70);
    shown.push_back(fx::frame_of(headless::window_image(w)->at(20 + 55, 5 + 50)));
  }
  EXPECT_EQ(shown, (std::vector<int>{1, 2, 3, 4, 5, 6, 0, 1}));
  EXPECT_EQ(fx::kind_of(headless::window_image(w)->at(75, 55)), st_.scene.previewwumpet);
  EXPECT_THROW(headless::destroy(host), headless::ProcessEnded);
  EXPECT_EQ(count_calls("media_command"), 0);
}

TEST_F(SaverRun, PreviewPositionsAndHandles) {
  struct Case {
    int w, h;
    Long x, y;
  } cases[] = {{152, 112, 20, 5}, {153, 113, 21, 6}, {100, 80, -6, -11}};
  write_data_folder();
  for (const Case& c : cases) {
    for (const char* form : {"/p ", "/p:", "/P  "}) {
      fresh_starter();
      headless::reset(cfg_);
      const plat::Handle host = headless::create_host_window(c.w, c.h);
      ASSERT_FALSE(run_main(form + std::to_string(host)));
      const Sprite& d = st_.scene.wumpets(st_.scene.previewwumpet);
      EXPECT_EQ(d.x, c.x) << form << c.w;
      EXPECT_EQ(d.y, c.y) << form << c.w;
    }
  }
}

// A preview with no host, or a host no preview can live in, ends at once as a failed mode: a
// line in the log and status 1. The desktop is a window, but a preview there would cover the
// screen, take no input and never end.
TEST_F(SaverRun, PreviewWithoutAUsableHostEndsAtOnce) {
  write_data_folder();
  const struct {
    const char* args;  // "DESKTOP" stands for the desktop window's handle
    const char* host;  // as the log names it
    bool embed_tried;
  } cases[] = {{"/p", "0", false}, {"/p 999999", "999999", false}, {"/p abc", "0", false}, {"/p DESKTOP", "", true}};
  for (const auto& c : cases) {
    SCOPED_TRACE(c.args);
    fresh_starter();
    headless::reset(cfg_);
    std::string args = c.args, host = c.host;
    if (const std::size_t at = args.find("DESKTOP"); at != std::string::npos) {
      host = std::to_string(headless::create_desktop_window());
      args.replace(at, 7, host);
    }
    EXPECT_TRUE(run_main(args));
    EXPECT_EQ(count_calls("log_error no preview: " + host + " is not a window that can hold one"), 1);
    EXPECT_EQ(count_calls("set_exit_status 1"), 1);
    EXPECT_EQ(count_calls("preview_embed"), c.embed_tried ? 1 : 0);
  }
}

// Several monitors: views of one saver. Each beside the primary one gets a scene of its own at
// its own size, with its own draws and no music, from one settings load and one set of sprite
// sheets; a click on any ends the saver once, through the primary window's password check, and
// the shutdown deletes the sheets once and every view's buffers.
TEST_F(SaverRun, EveryMonitorIsAViewOfOneSaver) {
  struct Case {
    std::int32_t platform;  // 1 with the password on: the primary window asks
    bool accepted;
  } cases[] = {{0, true}, {1, false}, {1, true}};
  for (const Case& c : cases) {
    SCOPED_TRACE(c.platform * 10 + c.accepted);
    fresh_starter();
    cfg_.other_monitors = {plat::Size{320, 200}, plat::Size{1024, 768}};
    cfg_.platform_id = c.platform;
    cfg_.password_accepted = c.accepted;
    cfg_.registry["Control Panel\\Desktop\\ScreenSaveUsePassword"] = {1, std::string("1") + '\0'};
    headless::reset(cfg_);
    start_saver({"wumpet1=1", "wumpet2=1", "notes1=1", "musicchoice2=1", "speed=60"});
    ASSERT_EQ(st_.viewcount, 3);
    EXPECT_EQ(count_calls("media_command play song2 from 0"), 1) << "the music plays once";
    EXPECT_EQ(count_calls("profile_get firstrun"), 1) << "one settings load";
    EXPECT_EQ(count_calls("load_bitmap " + cfg_.data_dir + "d_wumpet1.bmp"), 1) << "one set of sheets";
    const SaverForm& a = *st_.views(2).form;
    const SaverForm& b = *st_.views(3).form;
    EXPECT_EQ(a.scene.screenwidth, 320);
    EXPECT_EQ(a.scene.screenheight, 200);
    EXPECT_EQ(b.scene.screenwidth, 1024);
    EXPECT_EQ(plat::dc_size(a.scene.backdc).width, 320);
    EXPECT_EQ(a.scene.wumpetdc(1), st_.scene.wumpetdc(1)) << "the sheets are shared";
    EXPECT_NE(a.scene.bufferdc, st_.scene.bufferdc);
    EXPECT_EQ(a.scene.musicchoice(2), 0);
    EXPECT_EQ(b.scene.notes1(1).enabled, kTrue) << "the same settings";
    EXPECT_NE(st_.saver->window, b.window);
    EXPECT_EQ(plat::dc_size(plat::window_dc(b.window)).width, 1024);
    // Own draws: the notes' speeds are not the primary's.
    bool differs = false;
    for (int i = 1; i <= 8; ++i)
      differs = differs || b.scene.notes1(i).dx != st_.scene.notes1(i).dx || b.scene.notes1(i).dy != st_.scene.notes1(i).dy;
    EXPECT_TRUE(differs);
    headless::advance_ms(600);
    EXPECT_GT(a.framecounter, 5);
    EXPECT_GT(b.framecounter, 5);

    headless::clear_calls();
    bool ended = false;
    try {
      headless::click(a.window);
    } catch (const headless::ProcessEnded&) {
      ended = true;
    }
    EXPECT_EQ(count_calls("verify_saver_password"), c.platform == 1 ? 1 : 0);
    EXPECT_EQ(ended, c.accepted);
    if (ended) {
      EXPECT_EQ(count_calls("media_command stop song2"), 1);
      std::multiset<int> deleted;
      for (const auto& call : headless::calls())
        if (call.rfind("delete_dc ", 0) == 0) deleted.insert(std::stoi(call.substr(10)));
      EXPECT_EQ(deleted.size(), 6u + 3 * 2) << "two dancers, their mask, two note sheets, their mask; two buffers a view";
      for (int dc : deleted) EXPECT_EQ(deleted.count(dc), 1u) << "surface " << dc << " deleted twice";
    } else {
      headless::advance_ms(120);
      EXPECT_GT(a.framecounter, 7) << "refused: every monitor carries on";
    }
  }
}

// Run-time errors with several monitors: one settings load reports once, into one error
// dialog; an error while the saver runs takes every view's window out of the way, so that the
// dialog can take clicks. Monitors past the bound get no view: every table is sized from it.
TEST_F(SaverRun, ErrorsOnSeveralMonitorsGoToOneDialogAndHideEveryView) {
  fresh_starter();
  cfg_.other_monitors = std::vector<plat::Size>(plat::kMaxMonitors, plat::Size{320, 200});
  headless::reset(cfg_);
  start_saver({"wumpet1=1", "speed=40000"});
  EXPECT_EQ(st_.viewcount, plat::kMaxMonitors);
  EXPECT_EQ(headless::error_dialog_shows(), 1);
  EXPECT_EQ(count_calls("log_error Error Code: ZW- 6- Starter/X_GetData"), 1);
  EXPECT_TRUE(headless::error_dialog_visible());
  const plat::Handle dialog = st_.bugreport.dialog;
  headless::clear_calls();
  st_.views(5).scene.wumpets(1).x = 2147483600;  // its next step overflows
  st_.views(5).scene.wumpets(1).dx = 100;
  st_.views(5).form->framecounter = 0;
  plat::timer_set_interval(st_.views(5).form->maintimer, 60);
  plat::timer_enable(st_.views(5).form->maintimer, true);
  headless::advance_ms(60);
  EXPECT_GE(headless::error_dialog_shows(), 2);
  EXPECT_EQ(st_.bugreport.dialog, dialog) << "the one dialog shows the new code";
  for (int v = 1; v <= st_.viewcount; ++v) EXPECT_FALSE(headless::window(view_window(st_, v))->visible) << v;
  EXPECT_TRUE(headless::error_dialog_visible());
}

// Where no dialog can be shown (no display, no dialogs module) the error log is the whole report:
// the saver's window stays in sight and the saver goes on, so that input still ends it; hidden
// windows under no dialog would leave a saver running that nobody can see or end.
TEST_F(SaverRun, AnErrorWithNoDialogToShowLeavesTheSaverInSight) {
  headless::reset(cfg_);
  headless_dialogs::refuse_dialogs(true);
  start_saver({"wumpet1=1", "speed=60"});
  SaverForm& f = *st_.saver;
  headless::advance_ms(300);
  headless::clear_calls();
  st_.scene.wumpets(1).x = 2147483600;  // its next step overflows
  st_.scene.wumpets(1).dx = 100;
  headless::advance_ms(100);
  EXPECT_GE(count_calls("log_error Error Code: ZW- 6-009 ScreenSaver/Update_Wumpets"), 1) << "the code is on the error log";
  EXPECT_EQ(st_.bugreport.dialog, 0);
  EXPECT_EQ(count_calls("window_hide"), 0);
  EXPECT_TRUE(headless::window(saver_window())->visible);
  st_.scene.wumpets(1).x = 100;
  st_.scene.wumpets(1).dx = 1;
  const int frames = f.framecounter;
  headless::advance_ms(300);
  EXPECT_GT(f.framecounter, frames) << "the saver goes on";
  EXPECT_THROW(headless::click(saver_window()), headless::ProcessEnded);
}

// Monitors plugged in while the saver runs get a view of their own, drawn and shown; one
// unplugged stops drawing and is hidden, while the rest (and the primary's music) go on.
// Input on a plugged-in view still ends the whole saver.
TEST_F(SaverRun, MonitorsPluggedInOrOutWhileItRuns) {
  fresh_starter();
  headless::reset(cfg_);
  write_data_folder();
  start_saver({"wumpet1=1", "musicchoice2=1", "speed=60"});
  ASSERT_TRUE(headless::saver_mode_begun());
  ASSERT_EQ(st_.viewcount, 1);

  const int added = headless::plug_monitor(plat::Size{640, 480});
  ASSERT_EQ(added, 1);
  ASSERT_EQ(st_.viewcount, 2);
  const SaverForm& v2 = *st_.views(2).form;
  EXPECT_EQ(v2.scene.screenwidth, 640);
  EXPECT_EQ(plat::dc_size(plat::window_dc(v2.window)).width, 640);
  EXPECT_TRUE(headless::window(v2.window)->visible);
  EXPECT_EQ(v2.scene.wumpetdc(1), st_.scene.wumpetdc(1)) << "the sheets are shared";
  EXPECT_EQ(v2.scene.musicchoice(2), 0) << "the music plays from the primary view only";
  headless::advance_ms(600);
  EXPECT_GT(v2.framecounter, 5);

  headless::unplug_monitor(added);
  EXPECT_FALSE(headless::window(v2.window)->visible);
  const auto frames = v2.framecounter;
  const auto primary_frames = st_.saver->framecounter;
  headless::advance_ms(600);
  EXPECT_EQ(v2.framecounter, frames) << "an unplugged monitor's view stops drawing";
  EXPECT_GT(st_.saver->framecounter, primary_frames);

  // Unplugging the primary monitor stops its frames, not the music.
  headless::unplug_monitor(0);
  headless::clear_calls();
  headless::advance_ms(10000);
  EXPECT_GE(count_calls("media_command status song2 mode"), 1) << "the play list is still watched";

  const int again = headless::plug_monitor(plat::Size{320, 200});
  ASSERT_EQ(st_.viewcount, 3) << "a monitor plugged in again is a new one";
  EXPECT_EQ(st_.views(3).form->scene.screenwidth, 320);
  EXPECT_EQ(again, 2);
  EXPECT_THROW(headless::key(st_.views(3).form->window, 'x', 'x'), headless::ProcessEnded);
}
