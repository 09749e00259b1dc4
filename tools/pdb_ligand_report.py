#!/usr/bin/python3
"""How many ligands written as HETATM records without CONECT are read back as the same molecule.

  pdb_ligand_report.py KVTOOL FILE.smi [--count N] [--noise A] [--seed S] [--keep DIR]
                       [--list OUT.tsv] [--no-obabel]

Every SMILES of the file (first N that RDKit embeds) is embedded with ETKDG (seed 42), relaxed
with MMFF94 and written with RDKit as one HETATM residue without CONECT records, in four forms:
ideal coordinates with and without hydrogens, and the same with Gaussian noise of A Angstrom
(0.04 by default) on every coordinate. kvtool --json reads each file; its SMILES is compared
with the source molecule by RDKit canonical SMILES (heavy atoms, charges and tautomers as they
come, no stereo). Open Babel (obabel -ipdb -osmi) reads the same files in the same run.
Prints one line per form: read right by kvtool and by Open Babel. --list writes each miss.
"""
import os
import random
import subprocess
import sys
import tempfile

from kvtool_records import parse_records, read_smiles
from rdkit import Chem, RDLogger
from rdkit.Chem import AllChem

RDLogger.DisableLog("rdApp.*")


def canonical(smiles):
    """Canonical SMILES without stereo, or None."""
    if not smiles:
        return None
    mol = Chem.MolFromSmiles(smiles)
    if mol is None:
        return None
    Chem.RemoveStereochemistry(mol)
    return Chem.MolToSmiles(mol)


def embed(smiles):
    """The largest fragment embedded and relaxed with hydrogens, or None."""
    mol = Chem.MolFromSmiles(smiles)
    if mol is None:
        return None
    frags = Chem.GetMolFrags(mol, asMols=True)
    mol = max(frags, key=lambda m: m.GetNumHeavyAtoms())
    if mol.GetNumHeavyAtoms() < 3 or mol.GetNumHeavyAtoms() > 60:
        return None
    if any(a.GetSymbol() not in ("C", "N", "O", "S", "P", "F", "Cl", "Br", "I", "H")
           for a in mol.GetAtoms()):
        return None
    mol = Chem.AddHs(mol)
    params = AllChem.ETKDGv3()
    params.randomSeed = 42
    if AllChem.EmbedMolecule(mol, params) != 0:
        return None
    if AllChem.MMFFHasAllMoleculeParams(mol):
        AllChem.MMFFOptimizeMolecule(mol, maxIters=2000)
    return mol


def with_noise(mol, sigma, rng):
    noisy = Chem.Mol(mol)
    conf = noisy.GetConformer()
    for i in range(noisy.GetNumAtoms()):
        p = conf.GetAtomPosition(i)
        conf.SetAtomPosition(i, (p.x + rng.gauss(0, sigma), p.y + rng.gauss(0, sigma),
                                 p.z + rng.gauss(0, sigma)))
    return noisy


def write_pdb(mol, path, hydrogens):
    out = mol if hydrogens else Chem.RemoveHs(mol)
    # RDKit still writes CONECT records for multiple bonds: they are left out here.
    block = Chem.MolToPDBBlock(out, flavor=2)
    with open(path, "w") as f:
        for line in block.splitlines():
            if not line.startswith("CONECT"):
                f.write(line + "\n")


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


def main():
    args = sys.argv[1:]
    if len(args) < 2:
        print(__doc__)
        return 2
    kvtool, source = args[0], args[1]
    count, sigma, seed, keep, listing, use_obabel = 300, 0.04, 7, None, None, True
    k = 2
    while k < len(args):
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
        elif args[k] == "--no-obabel":
            use_obabel = False; k += 1
        else:
            print("unknown argument " + args[k])
            return 2
    rng = random.Random(seed)
    folder = keep or tempfile.mkdtemp(prefix="pdb_ligands_")
    os.makedirs(folder, exist_ok=True)
    forms = [("ideal, H", False, True), ("ideal, no H", False, False),
             ("noisy, H", True, True), ("noisy, no H", True, False)]
    cases = []   # (reference SMILES, [paths per form])
    for smiles in read_smiles(source):
        if len(cases) >= count:
            break
        mol = embed(smiles)
        if mol is None:
            continue
        reference = canonical(Chem.MolToSmiles(Chem.RemoveHs(mol)))
        if reference is None:
            continue
        noisy = with_noise(mol, sigma, rng)
        paths = []
        for name, is_noisy, hydrogens in forms:
            tag = name.replace(", ", "_").replace(" ", "")
            path = os.path.join(folder, "lig%04d_%s.pdb" % (len(cases), tag))
            write_pdb(noisy if is_noisy else mol, path, hydrogens)
            paths.append(path)
        cases.append((reference, paths))
    print("%d molecules from %s, noise %.3f A" % (len(cases), source, sigma))
    misses = []
    for f, (name, _, _) in enumerate(forms):
        paths = [c[1][f] for c in cases]
        kv = kvtool_smiles(kvtool, paths)
        kv_right = ob_right = 0
        for (reference, _), path, got in zip(cases, paths, kv):
            ok = canonical(got) == reference
            kv_right += ok
            if not ok:
                misses.append((name, "kvtool", path, reference, got))
            if use_obabel:
                ob = obabel_smiles(path)
                ob_ok = canonical(ob) == reference
                ob_right += ob_ok
                if not ob_ok:
                    misses.append((name, "obabel", path, reference, ob))
        line = "%-12s kvtool %3d/%d" % (name, kv_right, len(cases))
        if use_obabel:
            line += "   obabel %3d/%d" % (ob_right, len(cases))
        print(line, flush=True)
    if listing:
        with open(listing, "w") as f:
            for m in misses:
                f.write("\t".join(str(x) for x in m) + "\n")
    return 0


if __name__ == "__main__":
    sys.exit(main())
