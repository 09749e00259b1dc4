#!/usr/bin/python3
"""Writes a set of outside molecules for tools/outside_set_report.py.

  make_outside_set.py OUT.smi

Takes the drug-like and screening molecules that Debian's rdkit-data package ships under
/usr/share/RDKit (ligand SD files of EGFR, CDK2 and benzodiazepine-receptor series, a PubChem
sample, ChEMBL and ZINC series, the first NCI compounds and the WEHI screening library), so that
kvtool is judged on molecules nobody chose for it. Writes one "SMILES name" line per molecule,
the name being the source and the record number, in a fixed order, the same file every run.

Per molecule: records RDKit cannot read are skipped; of a salt or mixture the largest fragment
(most heavy atoms) is kept; molecules with other elements than H C N O F P S Cl Br I, with
isotopes or radicals, or with fewer than 5 or more than 80 heavy atoms are skipped, as are
repeats of a constitution already taken (the first source in the list wins). Tetrahedral
centres and double bonds whose stereo the record leaves open get one picked at random (seed
7), so that kept E/Z and centres can be judged; a pick RDKit cannot embed is drawn again (up to
five draws, else the molecule is skipped), so that no impossible label enters the set.
"""
import csv
import random
import sys

from rdkit import Chem, RDLogger
from rdkit.Chem import AllChem
from rdkit.Chem.EnumerateStereoisomers import EnumerateStereoisomers, StereoEnumerationOptions

RDLogger.DisableLog("rdApp.*")

ROOT = "/usr/share/RDKit/"
# (name, file, column of the SMILES in a text file, delimiter, header lines)
SOURCES = [
    ("egfr", "Contrib/PBF/testData/egfr.sdf", None, None, 0),
    ("cdk2", "Contrib/Fastcluster/testdata/cdk2.sdf", None, None, 0),
    ("bzr", "Projects/DbCLI/testData/bzr.sdf", None, None, 0),
    ("pubchem", "Projects/DbCLI/testData/pubchem.200.sdf", None, None, 0),
    ("chembl2321810", "Contrib/FreeWilson/data/CHEMBL2321810.smi", 0, " ", 0),
    ("chembl11265", "Contrib/fraggle/data/ChEMBL_11265_actives.smi", 0, " ", 0),
    ("chembl24", "Contrib/NIBRSubstructureFilters/examples/chembl24_structs_randomtestSample_100.csv",
     1, ",", 1),
    ("zinc", "Contrib/SA_Score/data/zim.100.txt", 0, "\t", 1),
    ("mmpa", "Contrib/mmpa/data/sample.smi", 0, " ", 0),
    ("nci", "Data/NCI/first_5K.smi", 0, "\t", 0),
    ("wehi", "Data/Pains/test_data/wehi_mols.csv", 0, ",", 0),
]
ELEMENTS = {1, 6, 7, 8, 9, 15, 16, 17, 35, 53}
SEED = 7


def records(path, column, delimiter, header):
    if column is None:
        yield from Chem.SDMolSupplier(ROOT + path)
        return
    with open(ROOT + path, newline="") as f:
        for row in list(csv.reader(f, delimiter=delimiter))[header:]:
            yield Chem.MolFromSmiles(row[column]) if len(row) > column else None


def drug_like(mol):
    return (5 <= mol.GetNumHeavyAtoms() <= 80 and
            all(a.GetAtomicNum() in ELEMENTS and not a.GetIsotope() and
                not a.GetNumRadicalElectrons() for a in mol.GetAtoms()))


def with_stereo(mol, rng):
    """The molecule with its open stereo picked at random; None when no pick embeds."""
    options = StereoEnumerationOptions(onlyUnassigned=True, maxIsomers=1, rand=rng)
    for _ in range(5):
        isomer = next(iter(EnumerateStereoisomers(mol, options=options)))
        if Chem.MolToSmiles(isomer) == Chem.MolToSmiles(mol):
            return isomer
        params = AllChem.ETKDGv3()
        params.randomSeed = SEED
        params.maxIterations = 10  # embedding attempts; an impossible label would take minutes
        if AllChem.EmbedMolecule(Chem.AddHs(isomer), params) == 0:
            return isomer
    return None


def main(argv):
    if len(argv) != 2:
        print(__doc__, file=sys.stderr)
        return 2
    rng = random.Random(SEED)
    seen, lines, skipped = set(), [], {}
    for name, path, column, delimiter, header in SOURCES:
        for number, mol in enumerate(records(path, column, delimiter, header), 1):
            reason = None
            if mol is None:
                reason = "unread"
            else:
                mol = max(Chem.GetMolFrags(mol, asMols=True),
                          key=lambda m: (m.GetNumHeavyAtoms(), Chem.MolToSmiles(m)))
                key = Chem.MolToSmiles(mol, isomericSmiles=False)
                if not drug_like(mol):
                    reason = "not drug-like"
                elif key in seen:
                    reason = "repeat"
                else:
                    seen.add(key)
                    mol = with_stereo(mol, rng)
                    reason = "no stereo pick embeds" if mol is None else None
            if reason:
                skipped[reason] = skipped.get(reason, 0) + 1
            else:
                lines.append(f"{Chem.MolToSmiles(mol)} {name}_{number}\n")
        print(f"{name}: {len(lines)} molecules so far", file=sys.stderr)
    with open(argv[1], "w") as f:
        f.writelines(lines)
    print(f"{len(lines)} molecules written to {argv[1]}; skipped: {skipped}", file=sys.stderr)
    return 0


if __name__ == "__main__":
    sys.exit(main(sys.argv))
