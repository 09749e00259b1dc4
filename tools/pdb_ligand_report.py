#!/usr/bin/python3
"""How many ligands written as one HETATM residue are read back as the same molecule, by the way
the file lists its bonds.

  pdb_ligand_report.py KVTOOL FILE.smi [--count N] [--extra MORE.smi] [--conect WAY[,WAY]]
                       [--noise A] [--seed S] [--keep DIR] [--list OUT.tsv] [--no-obabel]

Every SMILES of FILE.smi (the first N that RDKit embeds, 300 by default) and every one of
MORE.smi that embeds is embedded with ETKDG (seed 42) and relaxed with MMFF94 (UFF where MMFF94
lacks parameters, the bare embedding where UFF does too), then written by RDKit as one HETATM
residue, ideal coordinates with and without hydrogens (and, with --noise A, the same with
Gaussian noise of A Angstrom on every coordinate), once for each WAY of listing the bonds:
  none       no CONECT records;
  once       each bond once, on the CONECT line of its lower serial (RDKit flavor 8);
  orders     each bond once, a double bond's partner named twice and a triple's three times
             (RDKit's default, Kekule orders);
  multiples  only the double and triple bonds, named twice or three times; no single bond.
--conect may be repeated or take a comma list; all four by default.
kvtool --json reads each file (one run per way and form); its SMILES is compared with the
source molecule by RDKit canonical SMILES (heavy atoms, charges and tautomers as they come, no
stereo). Open Babel (obabel -ipdb -osmi) reads the same files. Prints one line per way and form
(per set when MORE.smi is given): read right by kvtool and by Open Babel. --list writes each
miss as: way, form, reader, file, expected, read, molecule name.
"""
import os
import random
import subprocess
import sys
import tempfile
from concurrent.futures import ThreadPoolExecutor

from kvtool_records import parse_records, read_entries, read_smiles
from rdkit import Chem, RDLogger
from rdkit.Chem import AllChem

RDLogger.DisableLog("rdApp.*")

WAYS = ("none", "once", "orders", "multiples")
ELEMENTS = {"H", "B", "C", "N", "O", "F", "Si", "P", "S", "Cl", "Se", "As", "Br", "Sn", "I"}


def canonical(smiles):
    """Canonical SMILES without stereo, or None."""
    if not smiles:
        return None
    mol = Chem.MolFromSmiles(smiles)
    if mol is None:
        return None
    Chem.RemoveStereochemistry(mol)
    return Chem.MolToSmiles(mol)


def read_named(path):
    """(SMILES, name) of every entry (read_entries); the name is the next field."""
    return [(parts[0], parts[1] if len(parts) > 1 else "") for parts in read_entries(path)]


def embed(smiles):
    """The largest fragment embedded and relaxed with hydrogens, or None."""
    mol = Chem.MolFromSmiles(smiles)
    if mol is None:
        return None
    frags = Chem.GetMolFrags(mol, asMols=True)
    mol = max(frags, key=lambda m: m.GetNumHeavyAtoms())
    if mol.GetNumHeavyAtoms() < 3 or mol.GetNumHeavyAtoms() > 60:
        return None
    if any(a.GetSymbol() not in ELEMENTS for a in mol.GetAtoms()):
        return None
    mol = Chem.AddHs(mol)
    params = AllChem.ETKDGv3()
    params.randomSeed = 42
    if AllChem.EmbedMolecule(mol, params) != 0:
        return None
    if AllChem.MMFFHasAllMoleculeParams(mol):
        AllChem.MMFFOptimizeMolecule(mol, maxIters=2000)
    elif AllChem.UFFHasAllMoleculeParams(mol):
        AllChem.UFFOptimizeMolecule(mol, maxIters=2000)
    return mol


def with_noise(mol, sigma, rng):
    noisy = Chem.Mol(mol)
    conf = noisy.GetConformer()
    for i in range(noisy.GetNumAtoms()):
        p = conf.GetAtomPosition(i)
        conf.SetAtomPosition(i, (p.x + rng.gauss(0, sigma), p.y + rng.gauss(0, sigma),
                                 p.z + rng.gauss(0, sigma)))
    return noisy


def conect_lines(partners):
    """CONECT lines for {serial: [partner serials]}, at most four partners a line as RDKit
    writes them (a reader adds up the lines of one atom)."""
    out = []
    for serial in sorted(partners):
        names = partners[serial]
        for k in range(0, len(names), 4):
            out.append("CONECT%5d" % serial + "".join("%5d" % n for n in names[k:k + 4]))
    return out


def only_multiples(lines):
    """Of CONECT lines in RDKit's default style, the partners named more than once."""
    named = {}
    for line in lines:
        serial = int(line[6:11])
        for k in range(11, len(line.rstrip()), 5):
            named.setdefault(serial, []).append(int(line[k:k + 5]))
    kept = {s: [n for n in names if names.count(n) > 1] for s, names in named.items()}
    return conect_lines({s: names for s, names in kept.items() if names})


def write_pdb(mol, path, hydrogens, way):
    out = mol if hydrogens else Chem.RemoveHs(mol)
    block = Chem.MolToPDBBlock(out, flavor=8 if way == "once" else 0)
    lines = block.splitlines()
    atoms = [l for l in lines if not l.startswith("CONECT") and l.strip() != "END"]
    conect = [l for l in lines if l.startswith("CONECT")]
    if way == "none":
        conect = []
    elif way == "multiples":
        conect = only_multiples(conect)
    with open(path, "w") as f:
        f.write("\n".join(atoms + conect + ["END"]) + "\n")


def kvtool_records(kvtool, paths):
    """The records of one kvtool --json run over the files; its messages are dropped."""
    done = subprocess.run([kvtool, "--json"] + paths, stdout=subprocess.PIPE,
                          stderr=subprocess.DEVNULL, text=True)
    return parse_records(done.stdout)


def kvtool_smiles(kvtool, paths):
    """SMILES kvtool reads from each file (None when it reads none or several molecules)."""
    found = kvtool_records(kvtool, paths)
    if len(found) != len(paths):
        return [kvtool_one(kvtool, p) for p in paths]
    return [r.get("smiles") for r in found]


def kvtool_one(kvtool, path):
    found = kvtool_records(kvtool, [path])
    return found[0].get("smiles") if found else None


def obabel_smiles(path):
    done = subprocess.run(["obabel", "-ipdb", path, "-osmi"], stdout=subprocess.PIPE,
                          stderr=subprocess.DEVNULL, text=True)
    text = done.stdout.split()
    return text[0] if text else None


def take(entries, count, label, folder, forms, ways, sigma, rng):
    """Cases (set, name, reference, {(way, form): path}) of the first `count` entries that embed."""
    cases = []
    for smiles, name in entries:
        if len(cases) >= count:
            break
        mol = embed(smiles)
        if mol is None:
            continue
        reference = canonical(Chem.MolToSmiles(Chem.RemoveHs(mol)))
        if reference is None:
            continue
        noisy = with_noise(mol, sigma, rng) if any(f[1] for f in forms) else None
        paths = {}
        for form, is_noisy, hydrogens in forms:
            tag = form.replace(", ", "_").replace(" ", "")
            for way in ways:
                path = os.path.join(folder, "%s%04d_%s_%s.pdb" % (label, len(cases), way, tag))
                write_pdb(noisy if is_noisy else mol, path, hydrogens, way)
                paths[(way, form)] = path
        cases.append((label, name, reference, paths))
    return cases


def main():
    args = sys.argv[1:]
    if len(args) < 2:
        print(__doc__)
        return 2
    kvtool, source = args[0], args[1]
    count, sigma, seed, keep, listing, use_obabel = 300, None, 7, None, None, True
    extra, ways = None, []
    k = 2
    while k < len(args):
        if args[k] in ("--count", "--noise", "--seed", "--keep", "--list", "--extra",
                       "--conect") and k + 1 >= len(args):
            print(args[k] + " needs a value")
            return 2
        if args[k] == "--count":
            count = int(args[k + 1]); k += 2
        elif args[k] == "--noise":
            sigma = float(args[k + 1]); k += 2
        elif args[k] == "--seed":
            seed = int(args[k + 1]); k += 2
        elif args[k] == "--keep":
            keep = args[k + 1]; k += 2
        elif args[k] == "--list":
            listing = args[k + 1]; k += 2
        elif args[k] == "--extra":
            extra = args[k + 1]; k += 2
        elif args[k] == "--conect":
            for way in args[k + 1].split(","):
                if way not in WAYS:
                    print("--conect takes " + ", ".join(WAYS) + ", not " + way)
                    return 2
                if way not in ways:
                    ways.append(way)
            k += 2
        elif args[k] == "--no-obabel":
            use_obabel = False; k += 1
        else:
            print("unknown argument " + args[k])
            return 2
    ways = [w for w in WAYS if w in ways] if ways else list(WAYS)
    rng = random.Random(seed)
    folder = keep or tempfile.mkdtemp(prefix="pdb_ligands_")
    os.makedirs(folder, exist_ok=True)
    forms = [("ideal, H", False, True), ("ideal, no H", False, False)]
    if sigma is not None:
        forms += [("noisy, H", True, True), ("noisy, no H", True, False)]
    cases = take(read_named(source), count, "lig", folder, forms, ways, sigma, rng)
    sets = [("lig", "%d molecules from %s" % (len(cases), source))]
    if extra:
        more = take(read_named(extra), len(read_smiles(extra)), "extra", folder, forms, ways,
                    sigma, rng)
        sets.append(("extra", "%d molecules from %s" % (len(more), extra)))
        cases += more
    for _, text in sets:
        print(text + (", noise %.3f A" % sigma if sigma is not None else ""))
    print("files in " + folder, flush=True)
    misses = []
    pool = ThreadPoolExecutor(max_workers=os.cpu_count() or 2)
    for way in ways:
        for form, _, _ in forms:
            paths = [c[3][(way, form)] for c in cases]
            kv = kvtool_smiles(kvtool, paths)
            ob = list(pool.map(obabel_smiles, paths)) if use_obabel else [None] * len(paths)
            for label, _ in sets:
                kv_right = ob_right = total = 0
                for (case_set, name, reference, _), path, got, ob_got in zip(cases, paths, kv, ob):
                    if case_set != label:
                        continue
                    total += 1
                    if canonical(got) == reference:
                        kv_right += 1
                    else:
                        misses.append((way, form, "kvtool", path, reference, got, name))
                    if not use_obabel:
                        continue
                    if canonical(ob_got) == reference:
                        ob_right += 1
                    else:
                        misses.append((way, form, "obabel", path, reference, ob_got, name))
                line = "%-10s %-12s kvtool %3d/%d" % (way, form, kv_right, total)
                if use_obabel:
                    line += "   obabel %3d/%d" % (ob_right, total)
                if len(sets) > 1:
                    line = "%-6s %s" % ("main" if label == "lig" else label, line)
                print(line, flush=True)
    pool.shutdown()
    if listing:
        with open(listing, "w") as f:
            for m in misses:
                f.write("\t".join(str(x) for x in m) + "\n")
    return 0


if __name__ == "__main__":
    sys.exit(main())
