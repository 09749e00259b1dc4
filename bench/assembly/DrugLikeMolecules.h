#pragma once

// One hundred well-known drugs of 20 to 60 atoms, hydrogens included, as "SMILES name" lines:
// analgesics, cardiovascular and central-nervous-system drugs, anti-infectives, steroids. Chosen
// for their spread of ring systems (fused, spiro-free bridged cages, heteroaromatics) and of
// functional groups, most of which the shipped group library does not cover.

#include <string>
#include <vector>

inline const std::vector<std::string>& drugLikeMolecules() {
  static const std::vector<std::string> lines{
      // Analgesics and anti-inflammatories
      "CC(=O)Oc1ccccc1C(=O)O ASPIRIN",
      "CC(=O)Nc1ccc(O)cc1 PARACETAMOL",
      "CC(C)Cc1ccc(cc1)C(C)C(=O)O IBUPROFEN",
      "COc1ccc2cc(ccc2c1)C(C)C(=O)O NAPROXEN",
      "OC(=O)Cc1ccccc1Nc1c(Cl)cccc1Cl DICLOFENAC",
      "CC(C(=O)O)c1cccc(c1)C(=O)c1ccccc1 KETOPROFEN",
      "CCOc1ccc(NC(C)=O)cc1 PHENACETIN",
      "Cc1cccc(Nc2ccccc2C(=O)O)c1C MEFENAMIC_ACID",
      "COc1ccc2n(C(=O)c3ccc(Cl)cc3)c(C)c(CC(=O)O)c2c1 INDOMETHACIN",
      "CN1C(C(=O)Nc2ccccn2)=C(O)c2ccccc2S1(=O)=O PIROXICAM",
      "Cc1ccc(cc1)-c1cc(nn1-c1ccc(cc1)S(N)(=O)=O)C(F)(F)F CELECOXIB",
      "COc1cccc(c1)C1(O)CCCCC1CN(C)C TRAMADOL",
      "CN1CCC23C4Oc5c(O)ccc(CC1C2C=CC4O)c35 MORPHINE",
      "COc1ccc2CC3N(C)CCC45C(Oc1c24)C(O)C=CC35 CODEINE",
      "CCC(=O)C(CC(C)N(C)C)(c1ccccc1)c1ccccc1 METHADONE",
      "CCOC(=O)C1(CCN(C)CC1)c1ccccc1 PETHIDINE",
      "CCC(=O)N(C1CCN(CCc2ccccc2)CC1)c1ccccc1 FENTANYL",
      "CNC1(CCCCC1=O)c1ccccc1Cl KETAMINE",
      // Local anaesthetics and antiarrhythmics
      "CCN(CC)CC(=O)Nc1c(C)cccc1C LIDOCAINE",
      "CCN(CC)CCOC(=O)c1ccc(N)cc1 PROCAINE",
      "CCOC(=O)c1ccc(N)cc1 BENZOCAINE",
      "CC(N)COc1c(C)cccc1C MEXILETINE",
      // Cardiovascular
      "CC(C)NCC(O)COc1cccc2ccccc12 PROPRANOLOL",
      "CC(C)NCC(O)COc1ccc(CC(N)=O)cc1 ATENOLOL",
      "COCCc1ccc(OCC(O)CNC(C)C)cc1 METOPROLOL",
      "CC(CCc1ccccc1)NCC(O)c1ccc(O)c(c1)C(N)=O LABETALOL",
      "CC(CS)C(=O)N1CCCC1C(=O)O CAPTOPRIL",
      "CCOC(=O)C(CCc1ccccc1)NC(C)C(=O)N1CCCC1C(=O)O ENALAPRIL",
      "NCCCCC(NC(CCc1ccccc1)C(=O)O)C(=O)N1CCCC1C(=O)O LISINOPRIL",
      "COC(=O)C1=C(C)NC(C)=C(C1c1ccccc1[N+](=O)[O-])C(=O)OC NIFEDIPINE",
      "CCOC(=O)C1=C(COCCN)NC(C)=C(C1c1ccccc1Cl)C(=O)OC AMLODIPINE",
      "CC(=O)CC(c1ccccc1)c1c(O)c2ccccc2oc1=O WARFARIN",
      "NS(=O)(=O)c1cc(C(=O)O)c(NCc2ccco2)cc1Cl FUROSEMIDE",
      "NS(=O)(=O)c1cc2c(cc1Cl)NCNS2(=O)=O HYDROCHLOROTHIAZIDE",
      "Clc1cccc(Cl)c1NC1=NCCN1 CLONIDINE",
      "NC(=N)NC(=O)Cc1c(Cl)cccc1Cl GUANFACINE",
      "COc1cc2nc(nc(N)c2cc1OC)N1CCN(CC1)C(=O)c1ccco1 PRAZOSIN",
      "CC(C)(C)NCC(O)c1ccc(O)c(CO)c1 SALBUTAMOL",
      // Antidepressants, antipsychotics, anxiolytics, hypnotics
      "CNCCC(Oc1ccc(cc1)C(F)(F)F)c1ccccc1 FLUOXETINE",
      "CNC1CCC(c2ccc(Cl)c(Cl)c2)c2ccccc12 SERTRALINE",
      "COc1ccc(cc1)C(CN(C)C)C1(O)CCCCC1 VENLAFAXINE",
      "CN(C)CCC=C1c2ccccc2CCc2ccccc12 AMITRIPTYLINE",
      "CN(C)CCCN1c2ccccc2CCc2ccccc12 IMIPRAMINE",
      "CC(NC(C)(C)C)C(=O)c1cccc(Cl)c1 BUPROPION",
      "CN1CCN2C(C1)c1ccccc1Cc1cccnc21 MIRTAZAPINE",
      "Clc1cccc(c1)N1CCN(CCCn2nc3ccccn3c2=O)CC1 TRAZODONE",
      "OC1(CCN(CCCC(=O)c2ccc(F)cc2)CC1)c1ccc(Cl)cc1 HALOPERIDOL",
      "CN(C)CCCN1c2ccccc2Sc2ccc(Cl)cc12 CHLORPROMAZINE",
      "CN1C(=O)CN=C(c2ccccc2)c2cc(Cl)ccc12 DIAZEPAM",
      "O=C1CC2(CCCC2)CC(=O)N1CCCCN1CCN(CC1)c1ncccn1 BUSPIRONE",
      "CN(C)C(=O)Cc1c(nc2ccc(C)cn12)-c1ccc(C)cc1 ZOLPIDEM",
      "COC(=O)C(c1ccccc1)C1CCCCN1 METHYLPHENIDATE",
      "CC(N)Cc1ccccc1 AMPHETAMINE",
      "CNC(C)C(O)c1ccccc1 EPHEDRINE",
      "COc1cc(CCN)cc(OC)c1OC MESCALINE",
      // Antiepileptics and neurology
      "NC(=O)N1c2ccccc2C=Cc2ccccc12 CARBAMAZEPINE",
      "O=C1NC(=O)C(N1)(c1ccccc1)c1ccccc1 PHENYTOIN",
      "CCC1(C(=O)NC(=O)NC1=O)c1ccccc1 PHENOBARBITAL",
      "CCCC(CCC)C(=O)O VALPROIC_ACID",
      "NCC1(CC(=O)O)CCCCC1 GABAPENTIN",
      "CC(C)CC(CN)CC(=O)O PREGABALIN",
      "NCC(CC(=O)O)c1ccc(Cl)cc1 BACLOFEN",
      "Nc1nnc(c(N)n1)-c1cccc(Cl)c1Cl LAMOTRIGINE",
      "CC1(C)OC2COC3(COS(N)(=O)=O)OC(C)(C)OC3C2O1 TOPIRAMATE",
      "CCC(N1CCCC1=O)C(N)=O LEVETIRACETAM",
      "COc1cc2CC(CC3CCN(Cc4ccccc4)CC3)C(=O)c2cc1OC DONEPEZIL",
      "CC12CC3CC(C)(C1)CC(N)(C3)C2 MEMANTINE",
      "NC12CC3CC(CC(C3)C1)C2 AMANTADINE",
      "N[C@@H](Cc1ccc(O)c(O)c1)C(=O)O LEVODOPA",
      // Neurotransmitters and related
      "NCCc1ccc(O)c(O)c1 DOPAMINE",
      "NCCc1c[nH]c2ccc(O)cc12 SEROTONIN",
      "CC(=O)NCCc1c[nH]c2ccc(OC)cc12 MELATONIN",
      "N[C@@H](Cc1c[nH]c2ccccc12)C(=O)O TRYPTOPHAN",
      "CN1CCCC1c1cccnc1 NICOTINE",
      "Cn1cnc2c1c(=O)n(C)c(=O)n2C CAFFEINE",
      // Gastrointestinal and antihistamines
      "CNC(=C[N+](=O)[O-])NCCSCc1ccc(CN(C)C)o1 RANITIDINE",
      "CN=C(NCCSCc1nc[nH]c1C)NC#N CIMETIDINE",
      "COc1ccc2[nH]c(nc2c1)S(=O)Cc1ncc(C)c(OC)c1C OMEPRAZOLE",
      "Cc1nccn1CC1CCc2c(C1=O)c1ccccc1n2C ONDANSETRON",
      "CCN(CC)CCNC(=O)c1cc(Cl)c(N)cc1OC METOCLOPRAMIDE",
      "CN(C)CCOC(c1ccccc1)c1ccccc1 DIPHENHYDRAMINE",
      "CN(C)CCC(c1ccc(Cl)cc1)c1ccccn1 CHLORPHENIRAMINE",
      "CCOC(=O)N1CCC(=C2c3ccc(Cl)cc3CCc3cccnc23)CC1 LORATADINE",
      "OC(=O)COCCN1CCN(CC1)C(c1ccccc1)c1ccc(Cl)cc1 CETIRIZINE",
      // Anti-infectives
      "Cc1ncc(n1CCO)[N+](=O)[O-] METRONIDAZOLE",
      "CCS(=O)(=O)CCn1c(C)ncc1[N+](=O)[O-] TINIDAZOLE",
      "Cc1cc(NS(=O)(=O)c2ccc(N)cc2)no1 SULFAMETHOXAZOLE",
      "COc1cc(Cc2cnc(N)nc2N)cc(OC)c1OC TRIMETHOPRIM",
      "OC(=O)c1cn(C2CC2)c2cc(N3CCNCC3)c(F)cc2c1=O CIPROFLOXACIN",
      "OCC(NC(=O)C(Cl)Cl)C(O)c1ccc(cc1)[N+](=O)[O-] CHLORAMPHENICOL",
      "CCC(CO)NCCNC(CC)CO ETHAMBUTOL",
      "OC(Cn1cncn1)(Cn1cncn1)c1ccc(F)cc1F FLUCONAZOLE",
      "Clc1ccccc1C(n1ccnc1)(c1ccccc1)c1ccccc1 CLOTRIMAZOLE",
      "Nc1nc2n(COCCO)cnc2c(=O)[nH]1 ACYCLOVIR",
      "CCOC(=O)C1=CC(OC(CC)CC)C(NC(C)=O)C(N)C1 OSELTAMIVIR",
      "Nc1ccc(cc1)S(=O)(=O)c1ccc(N)cc1 DAPSONE",
      // Metabolic, endocrine and steroids
      "CCCCNC(=O)NS(=O)(=O)c1ccc(C)cc1 TOLBUTAMIDE",
      "CCCN(CCC)S(=O)(=O)c1ccc(cc1)C(=O)O PROBENECID",
      "CC12CCC3C(CCC4=CC(=O)CCC34C)C1CCC2O TESTOSTERONE",
      "CC12CCC3c4ccc(O)cc4CCC3C1CCC2O ESTRADIOL",
  };
  return lines;
}
