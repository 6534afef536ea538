#!/usr/bin/env python3
"""Turns one benchmark run into the table and docs/benchmarks.md.

    report.py BUILD WORK RESULTS LOAD_BEFORE LOAD_AFTER OUTPUT.md
    report.py --queue BUILD WORK RESULTS LOAD_BEFORE LOAD_AFTER OUTPUT.md
        only the queue's figures: their section of OUTPUT.md is replaced
    report.py --startup BUILD WORK RESULTS LOAD_BEFORE LOAD_AFTER OUTPUT.md
        only start-up: its row of the table and its paragraph are replaced
    report.py --titles BUILD WORK RESULTS LOAD_BEFORE LOAD_AFTER OUTPUT.md
        only reading titles and lengths: its section of OUTPUT.md is replaced
"""
import datetime
import glob
import os
import statistics
import subprocess
import sys

sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))
import gap  # noqa: E402
import make_media  # noqa: E402
import report_titles  # noqa: E402
from report_titles import ratio  # noqa: E402


def read_results(path):
    values = {}
    runs = {}
    with open(path) as f:
        for line in f:
            parts = line.split(None, 1)
            if len(parts) != 2:
                continue
            key, value = parts[0], parts[1].strip()
            if key.endswith("_run"):
                runs.setdefault(key, []).append(float(value))
            else:
                values[key] = value
    return values, runs


def gaps(work, who):
    """Over every recording of one player: silences at changes of entry,
    silences inside a tone, each later tone's start that never sounded, and
    the sounds heard per recording."""
    transitions, dropouts, start_lost, sounds = [], [], [], []
    for path in sorted(glob.glob(os.path.join(work, "gap_%s_*.wav" % who))):
        rate, mono = gap.read_wave(path)
        t, d, lost, count = gap.analyse(rate, mono, make_media.GAP_TONE_MS, make_media.GAP_LOW_HZ,
                                        make_media.GAP_HIGH_HZ)
        transitions += t
        dropouts += d
        # The first sound's start is the sound server's first start.
        start_lost += lost[1:]
        sounds.append(count)
    return transitions, dropouts, start_lost, sounds


def mixed_gaps(work):
    """Silences at changes of entry in the recordings of the list of both
    ways, by the pair of kinds each joins: wave to wave, Media Foundation to
    Media Foundation, and from one way to the other. A recording whose
    changes cannot be told apart one by one (a tone lost or split) is left
    out; the count of those is returned too."""
    kinds = make_media.MIXED_KINDS
    pairs = {"wave": [], "foundation": [], "across": []}
    left_out = 0
    for path in sorted(glob.glob(os.path.join(work, "mixed_vireo_*.wav"))):
        rate, mono = gap.read_wave(path)
        t, _, _, _ = gap.analyse(rate, mono, make_media.GAP_TONE_MS, make_media.GAP_LOW_HZ, make_media.GAP_HIGH_HZ)
        if len(t) != len(kinds) - 1:
            left_out += 1
            continue
        for i, silence in enumerate(t):
            waves = (kinds[i] == "W") + (kinds[i + 1] == "W")
            pairs[{2: "wave", 0: "foundation", 1: "across"}[waves]].append(silence)
    return pairs, left_out


def machine():
    model = "unknown"
    with open("/proc/cpuinfo") as f:
        for line in f:
            if line.startswith("model name"):
                model = line.split(":", 1)[1].strip()
                break
    wine = "unknown"
    # Debian's wine script fails where 32-bit programs can't run; its 64-bit loader still answers.
    for command in ("wine", "/usr/lib/wine/wine64"):
        try:
            answer = subprocess.run([command, "--version"], capture_output=True, text=True).stdout.strip()
        except OSError:
            continue
        if answer:
            wine = answer
            break
    return os.cpu_count(), model, wine


QUEUE_TITLE = "## The queue with 10,000 entries"
QUEUE_GOAL_MS = 50


def build_name():
    if os.environ.get("VIREO_BENCH_BITS", "32") == "64":
        return ("the 64-bit Release build: this machine's kernel runs no 32-bit programs, so the shipped "
                "32-bit build could not run here")
    return "the 32-bit Release build, the one we ship"


def queue_section(v, runs, when, load_before, load_after):
    """The queue's figures: each from the input to its effect, against a
    round trip to the same window that does nothing."""
    f = lambda key: float(v[key])  # noqa: E731
    md = [QUEUE_TITLE + "\n"]
    md.append("A running player holding %s playable entries, playing; each figure is the median and the worst of "
              "%d runs spread over the list, from the input to its effect (`bench_driver queue`). "
              "Measured %s with %s; load average before %s, after %s.\n"
              % ("{:,}".format(int(v["queue_entries"])), len(runs.get("queue_play_run", [])), when, build_name(),
                 load_before, load_after))
    md.append("| Input | Median (ms) | Worst (ms) | Media layer's part (ms) | Vireo's part (ms) | Goal | Result |")
    md.append("|---|---|---|---|---|---|---|")
    floor = f("queue_media_floor_ms")
    for key, label, media in (("play", "Double click on an entry: it plays (posted clicks to the status saying so)", True),
                              ("remove", "Remove of an entry that is not playing", False),
                              ("remove_playing", "Remove of the entry that plays: the next one opens and plays", True),
                              ("up", "Up on an entry", False),
                              ("down", "Down on an entry", False)):
        median, worst = f("queue_%s_ms" % key), f("queue_%s_max_ms" % key)
        own = max(median - floor, 0.0) if media else median
        if median <= QUEUE_GOAL_MS:
            result = "pass"
        elif media and own <= QUEUE_GOAL_MS:
            result = "MISS: the media layer's part"
        else:
            result = "MISS"
        md.append("| %s | %.1f | %.1f | %s | %.1f | <= %d ms | %s |"
                  % (label, median, worst, "%.1f" % floor if media else "-", own, QUEUE_GOAL_MS, result))
    md.append("| Floor: a round trip to the same window that does nothing | %.1f | %.1f | - | - | - | - |"
              % (f("queue_round_trip_ms"), f("queue_round_trip_max_ms")))
    md.append("| Floor: the media layer halting a playing wave, closing it, opening and playing the next, in the "
              "driver's own process | %.1f | %.1f | - | - | - | - |\n" % (floor, f("queue_media_floor_max_ms")))
    md.append("A figure passes when its median is within the goal. Where an entry is halted and another opened, "
              "the media layer's own part is measured beside it (the floor above) and Vireo's part is the median "
              "less that floor. Wine's wave device takes about 0.9 s to `stop` a wave that plays, and about 10 ms "
              "to stop one paused first (a probe of our own, four runs each): so Vireo pauses the entry before it "
              "halts it, and the floor does the same. What the real Windows' wave device takes to halt was not "
              "measured.\n")
    md.append("The list is not drawn again while an entry plays: the progress display's tick sets the time text "
              "and the tray tip and leaves the list alone, which `PlaybackScenario."
              "TheEntryThatPlaysIsBoldBehindAMarkWhateverIsSelected` checks by counting the list's paints over "
              "ticks (none). The mark moves by redrawing the two rows concerned, once per change of entry.\n")
    return md


STARTUP_FIGURE = "Start-up to window shown (ms; ratio: median of pairs)"
STARTUP_GOAL = 1.3


def startup_figures(runs):
    """Medians of Vireo's and the floor's starts, and the median of each
    start's ratio to the floor's start beside it: the load of a shared
    machine drifts over the runs, and a pair shares it."""
    vireo, floor = runs.get("startup_vireo_run", []), runs.get("startup_floor_run", [])
    pairs = [ratio(x, fl) for fl, x in zip(floor, vireo)]
    median = lambda xs: statistics.median(xs) if xs else float("nan")  # noqa: E731
    return median(vireo), median(floor), median(pairs), len(pairs)


def startup_note(runs, alone=None):
    s, sf, r, n = startup_figures(runs)
    note = ("Start-up: %d starts of each program, taken in turn after one untimed start of each; medians %.0f ms "
            "(Vireo) and %.0f ms (floor), whose ratio is %.2f; the table's ratio is the median of each pair's."
            % (n, s, sf, ratio(s, sf)))
    if alone:
        note += " Measured alone (`BENCH_ONLY=startup`) %s with %s; load average before %s, after %s." % alone
    return note + "\n"


def replace_startup(output, runs, alone):
    s, sf, r, _ = startup_figures(runs)
    row = "| %s | %.0f | %.0f | %.2f | <= %.1fx floor | %s |" % (STARTUP_FIGURE, s, sf, r, STARTUP_GOAL,
                                                              "pass" if r <= STARTUP_GOAL else "MISS")
    lines = open(output).read().split("\n")
    rows = [i for i, line in enumerate(lines) if line.startswith("| Start-up to window shown")]
    if not rows:
        sys.exit("report.py: no start-up row in %s; make a full run first" % output)
    lines[rows[0]] = row
    note = startup_note(runs, alone).rstrip("\n")
    notes = [i for i, line in enumerate(lines) if line.startswith("Start-up: ")]
    if notes:
        lines[notes[0]] = note
    else:
        end = rows[0]
        while end + 1 < len(lines) and lines[end + 1].startswith("|"):
            end += 1
        lines[end + 1:end + 1] = ["", note]
    with open(output, "w") as out:
        out.write("\n".join(lines))


def measured_at(paths):
    ended = max(os.path.getmtime(p) for p in paths)
    return datetime.datetime.fromtimestamp(ended).astimezone().strftime("%Y-%m-%d %H:%M %Z")


def main():
    if sys.argv[1] == "--titles":
        build, work, results, load_before, load_after, output = sys.argv[2:8]
        v, runs = read_results(results)
        report_titles.replace_section(output, report_titles.section(
            v, runs, measured_at([results]), build_name(), load_before, load_after, os.cpu_count()))
        print("run-benchmarks: rewrote the section on reading titles of %s" % output)
        return
    if sys.argv[1] == "--queue":
        build, work, results, load_before, load_after, output = sys.argv[2:8]
        v, runs = read_results(results)
        report_titles.replace_section(output, queue_section(v, runs, measured_at([results]), load_before, load_after),
                                      QUEUE_TITLE)
        print("run-benchmarks: rewrote the queue's section of %s" % output)
        return
    if sys.argv[1] == "--startup":
        build, work, results, load_before, load_after, output = sys.argv[2:8]
        _, runs = read_results(results)
        replace_startup(output, runs, (measured_at([results]), build_name(), load_before, load_after))
        s, sf, r, n = startup_figures(runs)
        print("start-up: Vireo %.0f ms, floor %.0f ms (medians of %d), median of pairs %.2f" % (s, sf, n, r))
        print("run-benchmarks: rewrote the start-up row and paragraph of %s" % output)
        return
    build, work, results, load_before, load_after, output = sys.argv[1:7]
    v, runs = read_results(results)
    f = lambda key: float(v[key])  # noqa: E731
    rows = []  # figure, value, baseline, ratio, goal, verdict

    def row(figure, value, baseline, r, goal, ok):
        rows.append((figure, value, baseline, "%.2f" % r if r == r else "-", goal,
                     "-" if ok is None else ("pass" if ok else "MISS")))

    lines = int(v["forward0_lines"])
    for index, kind in (("0", "paths that do not exist"), ("1", "paths that exist")):
        t, floor = f("forward%s_vireo_s" % index), f("forward%s_floor_s" % index)
        r = ratio(t, floor)
        row("Forwarding, %s (entries/s)" % kind, "%.0f" % (lines / t), "%.0f" % (lines / floor), r,
            "<= 1.5x floor" if index == "0" else "-", r <= 1.5 if index == "0" else None)

    s, sf, startup_ratio, _ = startup_figures(runs)
    row(STARTUP_FIGURE, "%.0f" % s, "%.0f" % sf, startup_ratio, "<= %.1fx floor" % STARTUP_GOAL,
        startup_ratio <= STARTUP_GOAL)

    silences, dropouts, start_lost, tones = gaps(work, "vireo")
    floor_silences, floor_dropouts, floor_lost, floor_tones = gaps(work, "floor")
    med = statistics.median(silences) if silences else float("nan")
    fmed = statistics.median(floor_silences) if floor_silences else float("nan")
    row("Gap between entries, median (ms, %d transitions)" % len(silences), "%.0f" % med, "%.0f" % fmed,
        ratio(med, fmed), "< 50 ms", len(silences) >= 10 and med < 50)
    worst = max(silences) if silences else float("nan")
    fworst = max(floor_silences) if floor_silences else float("nan")
    row("Gap between entries, worst (ms)", "%.0f" % worst, "%.0f" % fworst, ratio(worst, fworst), "-", None)

    # Against the gap between two wave entries measured above, in the same run.
    mixed, left_out = mixed_gaps(work)
    for key, label in (("foundation", "Media Foundation to Media Foundation"),
                       ("across", "from one way to the other")):
        m = statistics.median(mixed[key]) if mixed[key] else float("nan")
        row("Gap, %s, median (ms, %d transitions; floor: Vireo's wave to wave)" % (label, len(mixed[key])),
            "%.0f" % m, "%.0f" % med, ratio(m, med), "<= 1.5x", len(mixed[key]) >= 3 and ratio(m, med) <= 1.5)

    # Each .m3u run against the .VireoList run beside it: the machine's load
    # drifts over the runs, and a pair shares it.
    pairs = [ratio(m, l) for l, m in zip(runs.get("load_vireolist_run", []), runs.get("load_m3u_run", []))]
    load_ratio = statistics.median(pairs) if pairs else float("nan")
    row("Loading %s paths, .m3u against the same .VireoList (s; ratio: median of pairs)"
        % "{:,}".format(int(v["load_lines"])), "%.2f" % f("load_m3u_s"), "%.2f" % f("load_vireolist_s"), load_ratio,
        "<= 1.3x", load_ratio <= 1.3)

    # The restore against its floor, each run beside the other.
    kept_pairs = [ratio(r, fl) for fl, r in zip(runs.get("kept_restore_floor_run", []),
                                                runs.get("kept_restore_vireo_run", []))]
    kept_ratio = statistics.median(kept_pairs) if kept_pairs else float("nan")
    restore_ms = statistics.median(runs["kept_restore_vireo_run"])
    floor_ms = statistics.median(runs["kept_restore_floor_run"])
    # A whole start with the queue less the empty start beside it, against the same floor.
    added = [full - empty for empty, full in zip(runs.get("kept_start_empty_run", []),
                                                 runs.get("kept_start_full_run", []))]
    added_ms = statistics.median(added) if added else float("nan")
    start_ratio = ratio(added_ms, floor_ms)
    row("Start to a window holding %s kept entries, less an empty start (ms; median of pairs)"
        % "{:,}".format(int(v["kept_start_entries"])), "%.1f" % added_ms, "%.1f" % floor_ms, start_ratio,
        "<= 1.5x floor", start_ratio <= 1.5)
    row("Restoring %s kept entries into the list (ms; ratio: median of pairs)"
        % "{:,}".format(int(v["kept_restore_vireo_entries"])), "%.1f" % restore_ms, "%.1f" % floor_ms, kept_ratio,
        "<= 1.5x floor", kept_ratio <= 1.5)
    write_ms = f("kept_write_ms")
    row("Writing %s entries to the kept queue, whole (ms)" % "{:,}".format(int(v["kept_restore_vireo_entries"])),
        "%.1f" % write_ms, "-", float("nan"), "< 100 ms", write_ms < 100)

    entries = int(v["memory_entries"])
    per = (f("memory_vireo_full_ws") - f("memory_vireo_empty_ws")) / entries
    fper = (f("memory_floor_full_ws") - f("memory_floor_empty_ws")) / int(v["memory_floor_entries"])
    row("Memory per entry, 10,000 entries (bytes)", "%.0f" % per, "%.0f" % fper, ratio(per, fper), "< 1024 B",
        per < 1024)

    share = 100 * f("cpu_vireo_s") / f("cpu_vireo_wall_s")
    fshare = 100 * f("cpu_floor_s") / f("cpu_floor_wall_s")
    row("CPU while playing (%% of a core, %.0f s)" % f("cpu_vireo_wall_s"), "%.2f" % share, "%.2f" % fshare,
        ratio(share, fshare), "< 1 % above floor", share - fshare < 1)

    if "cpu_vireo_flac_s" in v:
        fshare_flac = 100 * f("cpu_vireo_flac_s") / f("cpu_vireo_flac_wall_s")
        row("CPU while playing a FLAC through Media Foundation (% of a core; floor: Vireo's wave)",
            "%.2f" % fshare_flac, "%.2f" % share, ratio(fshare_flac, share), "-", None)
        ws, ws_flac = f("cpu_vireo_ws_kib") / 1024, f("cpu_vireo_flac_ws_kib") / 1024
        row("Working set while playing a FLAC (MiB; floor: Vireo's wave)", "%.1f" % ws_flac, "%.1f" % ws,
            ratio(ws_flac, ws), "-", None)

    size = os.path.getsize(os.path.join(build, "vireo.exe")) / 1024
    fsize = os.path.getsize(os.path.join(build, "bench_floor.exe")) / 1024
    row("Size of vireo.exe, static (KiB)", "%.0f" % size, "%.0f" % fsize, ratio(size, fsize), "-", None)

    header = ("Figure", "Vireo", "Floor", "Ratio", "Goal", "Result")
    widths = [max(len(str(r[i])) for r in rows + [header]) for i in range(len(header))]
    for r in [header] + rows:
        print("  ".join(str(c).ljust(widths[i]) for i, c in enumerate(r)))

    cpus, model, wine = machine()
    # When the measurements ended, so that a report made again later keeps it.
    ended = max([os.path.getmtime(results)] + [os.path.getmtime(p) for p in glob.glob(os.path.join(work, "*_vireo_*.wav"))
                                                + glob.glob(os.path.join(work, "gap_*.wav"))])
    now = datetime.datetime.fromtimestamp(ended).astimezone().strftime("%Y-%m-%d %H:%M %Z")
    probe = lambda key: "%.1f s" % f(key) if key in v else "-"  # noqa: E731
    md = []
    md.append("# Benchmarks\n")
    md.append("Each figure of `vireo.exe` (%s) is set against a floor measured in the same run on the same "
              "machine: absolute times under Wine on a shared machine do not carry over, the ratios do.\n"
              % build_name())
    md.append("## Last run\n")
    md.append("- Date: %s" % now)
    md.append("- Machine: %d processors, %s; %s; Xvfb, PulseAudio null sink" % (cpus, model, wine))
    md.append("- Load average (1, 5, 15 min) before: %s, after: %s\n" % (load_before, load_after))
    md.append("| " + " | ".join(header) + " |")
    md.append("|" + "|".join("---" for _ in header) + "|")
    for r in rows:
        md.append("| " + " | ".join(str(c) for c in r) + " |")
    md.append("")
    md.append(startup_note(runs))
    md.append("Where the time goes in forwarding (seconds for %d entries, medians):\n" % lines)
    md.append("| | paths that do not exist | paths that exist |")
    md.append("|---|---|---|")
    for key, label in (("floor", "floor: text into the slot + one private message, plain sends"),
                       ("floor_slot", "floor + the slot semaphore's wait and release, one handle held by each side"),
                       ("floor_slot_each", "floor + the semaphore opened and closed around each wait and release"),
                       ("floor_lookup", "floor + the file look-up"),
                       ("floor_slot_lookup", "floor + held semaphore + file look-up"),
                       ("vireo", "vireo.exe /load")):
        md.append("| %s | %s | %s |" % (label, probe("forward0_%s_s" % key), probe("forward1_%s_s" % key)))
    md.append("")
    md.append("The list control alone, %d names added in the same process: %s with the window shown, %s with it "
              "hidden. `vireo.exe /load` into a shown player: %s; into a hidden one: %s.\n"
              % (lines, probe("probe_list_shown_s"), probe("probe_list_hidden_s"), probe("probe_vireo_shown_s"),
                 probe("probe_vireo_hidden_s")))
    md.append("Kept queue: the file of %s entries is %s bytes; of the %.1f ms a whole write takes, %.1f ms are the "
              "disk's (write, flush, replace, on the writing thread) and the rest the window's thread reading the "
              "list and composing the text. Whole starts, from creating the process to its window shown with "
              "every entry: %.0f ms with the queue, %.0f ms empty (medians of %d each, taken in turn).\n"
              % ("{:,}".format(int(v["kept_restore_vireo_entries"])), "{:,}".format(int(v["kept_write_bytes"])),
                 write_ms, f("kept_write_disk_ms"), statistics.median(runs["kept_start_full_run"]),
                 statistics.median(runs["kept_start_empty_run"]), len(runs["kept_start_full_run"])))
    md.append("Gaps: %s sounds heard per recording of %d tones (Vireo), %s (floor); silences inside a tone "
              "(breaks within one entry, not counted above): "
              "%s (Vireo), %s (floor). Each later tone's start that never sounded, median %.1f ms (Vireo), "
              "%.1f ms (floor); the gap is the silence as recorded, so it includes that part.\n"
              % (",".join(map(str, tones)), make_media.GAP_TONES, ",".join(map(str, floor_tones)),
                 ", ".join("%.0f ms" % d for d in dropouts) or "none",
                 ", ".join("%.0f ms" % d for d in floor_dropouts) or "none",
                 statistics.median(start_lost) if start_lost else float("nan"),
                 statistics.median(floor_lost) if floor_lost else float("nan")))
    md.append("Gaps in the list of both ways (%s: W wave, F FLAC, A ALAC in an .m4a): wave to wave %s; Media "
              "Foundation to Media Foundation %s; from one way to the other %s (ms, each); %d recording(s) left "
              "out whose changes could not be told apart.\n"
              % (make_media.MIXED_KINDS, ", ".join("%.0f" % x for x in mixed["wave"]) or "none",
                 ", ".join("%.0f" % x for x in mixed["foundation"]) or "none",
                 ", ".join("%.0f" % x for x in mixed["across"]) or "none", left_out))
    md.append("Cost while playing: the host's own CPU time of each process (`/proc/PID/stat`: Wine's "
              "`GetProcessTimes` tells nothing of another process); the world's Wine server used a further "
              "%.2f s (Vireo) and %.2f s (floor) in the same stretch.\n"
              % (f("cpu_vireo_server_s") if "cpu_vireo_server_s" in v else float("nan"),
                 f("cpu_floor_server_s") if "cpu_floor_server_s" in v else float("nan")))
    md += queue_section(v, runs, now, load_before, load_after)
    md += report_titles.section(v, runs, now, build_name(), load_before, load_after, cpus)
    md.append(open(os.path.join(os.path.dirname(os.path.abspath(__file__)), "method.md")).read())
    with open(output, "w") as out:
        out.write("\n".join(md))
    print("\nrun-benchmarks: wrote %s" % output)


if __name__ == "__main__":
    main()
