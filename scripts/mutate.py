#!/usr/bin/env python3
"""Plants small faults in core/ and tools/ppwtool/ and runs the native suites,
to show how many of them the tests catch.

Usage: scripts/mutate.py CHECKOUT [--count N] [--seed S] [--work DIR]
Copies the checkout (tracked and untracked files), builds the native preset
once, then for each mutant rewrites one line (a flipped comparison or logical
operator, a changed constant, a removed call), rebuilds incrementally and runs
ctest. A mutant that does not compile is replaced by another. Prints each
survivor and the share caught. About a minute per mutant on two cores.
"""
import argparse, os, random, re, shutil, subprocess, sys, tempfile

OPS = [
    (r'==', '!='), (r'!=', '=='), (r'<=', '<'), (r'>=', '>'), (r'(?<![<>=-])<(?![<=])', '<='),
    (r'(?<![<>=-])>(?![>=])', '>='), (r'&&', '||'), (r'\|\|', '&&'),
    (r'(?<![+])\+(?![+=])', '-'), (r'(?<![-])-(?![->=])', '+'),
    (r'\btrue\b', 'false'), (r'\bfalse\b', 'true'),
]

def candidates(root):
    files = []
    for top in ('core', 'tools/ppwtool'):
        for dirpath, _, names in os.walk(os.path.join(root, top)):
            files += [os.path.join(dirpath, n) for n in names if n.endswith('.cpp') or n.endswith('.h')]
    sites = []
    for f in sorted(files):
        if f.endswith('_win32.cpp'):
            continue
        lines = open(f, encoding='utf-8').read().split('\n')
        for i, line in enumerate(lines):
            s = line.strip()
            if not s or s.startswith('//') or s.startswith('#') or s.startswith('*'):
                continue
            # Blank out string literals without moving any column.
            code = re.sub(r'"([^"\\]|\\.)*"', lambda m: '"' + ' ' * (len(m.group(0)) - 2) + '"', line.split('//')[0])
            code = re.sub(r"'([^'\\]|\\.)'", lambda m: "'" + ' ' * (len(m.group(0)) - 2) + "'", code)
            if 'template' in code or 'include' in code:
                continue
            for pat, rep in OPS:
                for m in re.finditer(pat, code):
                    sites.append((f, i, 'op', (m.start(), m.end(), rep)))
            for m in re.finditer(r'(?<![\w.])(\d+)(?![\w.])', code):
                sites.append((f, i, 'num', (m.start(), m.end(), str(int(m.group(1)) + 1) if m.group(1) != '1' else '0')))
            # A compile-time check is no behaviour a test could see.
            if 'static_assert' in code:
                continue
            if re.match(r'^\s*[\w:.>\-]+(\.|->)?\w*\(.*\);\s*$', code) and not s.startswith('return'):
                sites.append((f, i, 'del', None))
    return sites

def apply(site):
    f, i, kind, arg = site
    lines = open(f, encoding='utf-8').read().split('\n')
    orig = lines[i]
    if kind == 'del':
        lines[i] = '// mutant: removed'
    else:
        a, b, rep = arg
        lines[i] = orig[:a] + rep + orig[b:]
    open(f, 'w', encoding='utf-8').write('\n'.join(lines))
    return orig, lines[i]

def restore(site, orig):
    f, i, _, _ = site
    lines = open(f, encoding='utf-8').read().split('\n')
    lines[i] = orig
    open(f, 'w', encoding='utf-8').write('\n'.join(lines))

def run(cmd, cwd, timeout):
    try:
        return subprocess.run(cmd, cwd=cwd, stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL, timeout=timeout).returncode
    except subprocess.TimeoutExpired:
        return 124

def main():
    ap = argparse.ArgumentParser()
    ap.add_argument('checkout'); ap.add_argument('--count', type=int, default=60); ap.add_argument('--seed', type=int, default=1)
    ap.add_argument('--work', default=None)
    a = ap.parse_args()
    work = a.work or tempfile.mkdtemp(prefix='mutate-')
    src = os.path.join(work, 'src')
    if not os.path.exists(src):
        files = subprocess.run(['git', 'ls-files', '-co', '--exclude-standard'], cwd=a.checkout, capture_output=True, text=True).stdout.split('\n')
        for rel in filter(None, files):
            s = os.path.join(a.checkout, rel)
            if os.path.isfile(s):
                d = os.path.join(src, rel); os.makedirs(os.path.dirname(d), exist_ok=True); shutil.copy2(s, d)
    # Without the benchmarks, which no test runs.
    if run(['cmake', '--preset', 'native', '-DTESSAM_BUILD_BENCH=OFF'], src, 600) or run(['cmake', '--build', '--preset', 'native', '-j2'], src, 1800):
        print('baseline build failed'); return 2
    if run(['ctest', '--preset', 'native'], src, 900):
        print('baseline tests fail'); return 2
    rng = random.Random(a.seed)
    sites = candidates(src); rng.shuffle(sites)
    killed = survived = 0; survivors = []
    for site in sites:
        if killed + survived >= a.count: break
        orig, new = apply(site)
        if run(['cmake', '--build', '--preset', 'native', '-j2'], src, 900) != 0:
            restore(site, orig); continue
        rc = run(['ctest', '--preset', 'native', '--stop-on-failure', '-j2'], src, 600)
        rel = os.path.relpath(site[0], src)
        if rc == 0:
            survived += 1; survivors.append(f'{rel}:{site[1]+1}: {orig.strip()}  =>  {new.strip()}')
            print('SURVIVED', survivors[-1], flush=True)
        else:
            killed += 1; print('killed', f'{rel}:{site[1]+1}', flush=True)
        restore(site, orig)
    run(['cmake', '--build', '--preset', 'native', '-j2'], src, 900)
    n = killed + survived
    print(f'\n{killed}/{n} killed ({100.0*killed/max(n,1):.1f}%), seed {a.seed}')
    for s in survivors: print('  ', s)

if __name__ == '__main__':
    sys.exit(main())
