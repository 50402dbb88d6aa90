#!/usr/bin/env python3
"""Fits and checks the win/draw/loss model of src/uci/wdl.cpp.

Reads games written by tools/selfplay.py (one JSON line each: the result and,
for every move, the position, the mover's score and whether it came from the
book). Every searched move with a centipawn score is one observation: the
score, the material on the board (pawns, both sides: knight and bishop 3,
rook 5, queen 9) and how the game ended for the side to move.

The model: the side to move wins with odds 1 / (1 + exp((a - s) / b)), loses
with 1 / (1 + exp((a + s) / b)) and draws otherwise, where a = A0 + m (A1 + m
A2) and b = B0 + m B1 with m the material over 78. "fit" finds the five
constants of greatest likelihood (Nelder-Mead) and prints them for the
source; "check" compares the model's odds with the results of other games:
positions in ten bins of predicted expected score (win + draw / 2), the mean
odds against the frequencies in each, and the mean squared error of the
expected score and of the three odds (Brier).

Usage: wdl_fit.py fit GAMES.jsonl [...]
       wdl_fit.py check --params A0,A1,A2,B0,B1 GAMES.jsonl [...]
"""
import argparse
import collections
import json
import math
import sys

VALUES = {"p": 1, "n": 3, "b": 3, "r": 5, "q": 9}


def observations(paths):
    """(score, material, outcome for the side to move: 1, 0.5 or 0) of every searched position."""
    seen = collections.Counter()
    for path in paths:
        for line in open(path):
            game = json.loads(line)
            white = {"1-0": 1.0, "0-1": 0.0, "1/2-1/2": 0.5}.get(game["result"])
            if white is None or any(kind != "forfeit" for _, kind, _ in game.get("faults", [])):
                continue
            for r in game["record"]:
                if r["book"] or not r["score"] or not r["score"].startswith("cp "):
                    continue
                placement, side = r["fen"].split()[:2]
                material = sum(VALUES.get(c.lower(), 0) for c in placement)
                # Scores to the nearest 5 centipawns: fewer distinct observations to weigh.
                score = 5 * round(max(-4000, min(4000, int(r["score"].split()[1]))) / 5)
                seen[(score, material, white if side == "w" else 1 - white)] += 1
    return seen


def odds(params, score, material):
    a0, a1, a2, b0, b1 = params
    m = min(material, 78) / 78
    a, b = a0 + m * (a1 + m * a2), max(b0 + m * b1, 1.0)
    win = 1 / (1 + math.exp(max(min((a - score) / b, 700), -700)))
    loss = 1 / (1 + math.exp(max(min((a + score) / b, 700), -700)))
    return win, max(1 - win - loss, 0.0), loss


def negative_log_likelihood(params, data):
    a0, a1, a2, b0, b1 = params
    # Only a model whose even score is no win (a > 0) and whose slope rises (b > 0) is one.
    if any(a0 + m * (a1 + m * a2) <= 1 or b0 + m * b1 <= 1 for m in (0, 0.25, 0.5, 0.75, 1)):
        return float("inf")
    total = 0.0
    for (score, material, outcome), count in data.items():
        p = odds(params, score, material)[{1.0: 0, 0.5: 1, 0.0: 2}[outcome]]
        total -= count * math.log(max(p, 1e-12))
    return total


def nelder_mead(f, start, steps, iterations=1500):
    points = [list(start)] + [[x + (steps[i] if i == j else 0) for j, x in enumerate(start)] for i in range(len(start))]
    values = [f(p) for p in points]
    for _ in range(iterations):
        order = sorted(range(len(points)), key=values.__getitem__)
        points, values = [points[i] for i in order], [values[i] for i in order]
        if values[-1] - values[0] < 1e-3:  # the simplex agrees to a thousandth of the log-likelihood
            break
        centre = [sum(p[i] for p in points[:-1]) / (len(points) - 1) for i in range(len(start))]
        towards = lambda t: [c + t * (w - c) for c, w in zip(centre, points[-1])]  # noqa: E731
        reflected = towards(-1)
        fr = f(reflected)
        if fr < values[0]:
            expanded = towards(-2)
            fe = f(expanded)
            points[-1], values[-1] = (expanded, fe) if fe < fr else (reflected, fr)
        elif fr < values[-2]:
            points[-1], values[-1] = reflected, fr
        else:
            contracted = towards(0.5)
            fc = f(contracted)
            if fc < values[-1]:
                points[-1], values[-1] = contracted, fc
            else:
                points = [points[0]] + [[b + (x - b) / 2 for b, x in zip(points[0], p)] for p in points[1:]]
                values = [values[0]] + [f(p) for p in points[1:]]
    best = min(range(len(points)), key=values.__getitem__)
    return points[best], values[best]


def fit(paths):
    data = observations(paths)
    n = sum(data.values())
    print(f"{n} positions from {', '.join(paths)}")
    f = lambda p: negative_log_likelihood(p, data)  # noqa: E731
    params, nll = nelder_mead(f, [150, 100, 0, 60, 60], [50, 50, 50, 20, 20])
    for _ in range(3):  # restarts, so that a collapsed simplex cannot stop short of the optimum
        params, nll = nelder_mead(f, params, [20, 20, 20, 10, 10])
    print(f"mean log-likelihood {-nll / n:.4f}")
    print("constexpr double A[3] = {%.1f, %.1f, %.1f};" % tuple(params[:3]))
    print("constexpr double B[2] = {%.1f, %.1f};" % tuple(params[3:]))
    return params


def check(params, paths):
    data = observations(paths)
    bins = [collections.Counter() for _ in range(10)]
    sq_score = brier = n = 0.0
    for (score, material, outcome), count in data.items():
        w, d, l = odds(params, score, material)
        expected = w + d / 2
        b = bins[min(int(expected * 10), 9)]
        b["n"] += count
        b["pw"] += count * w
        b["pd"] += count * d
        b["pl"] += count * l
        b["ow"] += count * (outcome == 1.0)
        b["od"] += count * (outcome == 0.5)
        b["ol"] += count * (outcome == 0.0)
        b["pe"] += count * expected
        b["oe"] += count * outcome
        sq_score += count * (expected - outcome) ** 2
        brier += count * ((w - (outcome == 1.0)) ** 2 + (d - (outcome == 0.5)) ** 2 + (l - (outcome == 0.0)) ** 2)
        n += count
    print(f"{int(n)} positions from {', '.join(paths)}")
    print("| predicted score | positions | predicted W / D / L (%) | observed W / D / L (%) | predicted score | observed score |")
    print("|---|---|---|---|---|---|")
    for i, b in enumerate(bins):
        if not b["n"]:
            continue
        k = b["n"]
        print(f"| {i / 10:.1f} - {(i + 1) / 10:.1f} | {k} | {100 * b['pw'] / k:.1f} / {100 * b['pd'] / k:.1f} / "
              f"{100 * b['pl'] / k:.1f} | {100 * b['ow'] / k:.1f} / {100 * b['od'] / k:.1f} / {100 * b['ol'] / k:.1f} | "
              f"{b['pe'] / k:.3f} | {b['oe'] / k:.3f} |")
    mean = sum(o * c for (_, _, o), c in data.items()) / n
    baseline = sum(c * (mean - o) ** 2 for (_, _, o), c in data.items()) / n
    print(f"mean squared error of the expected score {sq_score / n:.4f} (a constant {mean:.3f} for every position: "
          f"{baseline:.4f}); Brier score of the three odds {brier / n:.4f}")


def main(argv=None):
    parser = argparse.ArgumentParser(description=__doc__.split("\n")[0])
    parser.add_argument("command", choices=["fit", "check"])
    parser.add_argument("games", nargs="+")
    parser.add_argument("--params", help="A0,A1,A2,B0,B1 for check")
    args = parser.parse_args(argv)
    if args.command == "fit":
        fit(args.games)
    else:
        check([float(x) for x in args.params.split(",")], args.games)
    return 0


if __name__ == "__main__":
    sys.exit(main())
