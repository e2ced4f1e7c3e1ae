#!/usr/bin/python3
"""Makes a folder of business documents of our own, shaped as e-invoices (UBL 2.1) and as bank
statements (ISO 20022 camt.053), for trying and timing the route through the work database.

Usage: /usr/bin/python3 make_business_files.py OUTDIR [--invoices N] [--statements N] [--seed S]

Every file differs: line and entry counts vary, optional elements (notes, discounts, payee,
remittance text, references) come and go, so that merged tables meet columns that only some
files have. The same seed makes the same files.
"""
import argparse
import os
import random
from datetime import date, timedelta
from xml.sax.saxutils import escape

# Namespaces of our own: the import drops prefixes, so only the shape of the documents counts.
UBL = ('xmlns="urn:example:brindlequay:invoice" '
       'xmlns:cac="urn:example:brindlequay:aggregates" '
       'xmlns:cbc="urn:example:brindlequay:basics"')
CAMT = 'xmlns="urn:example:brindlequay:statement"'

CITIES = ["Aalborg", "Bremen", "Cork", "Dijon", "Essen", "Faro", "Gent", "Haarlem", "Ivrea"]
GOODS = ["Oak plank", "Steel bracket", "Wool blanket", "Coffee beans 1 kg", "Glass jar",
         "Printer paper A4", "LED lamp", "Copper wire 50 m", "Apple juice & cider"]
NAMES = ["Brightwater Ltd", "Kessel & Sohn GmbH", "Marlow Trading", "Nordvik AS",
         "Oliveira Lda", "Pacheco y Hijos", "Quill Supplies", "Rosenthal BV"]


def party(role, rng, with_contact):
    name = rng.choice(NAMES)
    contact = ""
    if with_contact:
        contact = (f"<cac:Contact><cbc:Name>{rng.choice(['A. Berg', 'C. Dunn', 'E. Fox'])}"
                   f"</cbc:Name><cbc:ElectronicMail>office@example.org</cbc:ElectronicMail>"
                   f"</cac:Contact>")
    return (f"<cac:{role}><cac:Party>"
            f"<cbc:EndpointID schemeID=\"0088\">{rng.randrange(10**12, 10**13)}</cbc:EndpointID>"
            f"<cac:PartyName><cbc:Name>{escape(name)}</cbc:Name></cac:PartyName>"
            f"<cac:PostalAddress><cbc:StreetName>{rng.randrange(1, 200)} Harbour Road"
            f"</cbc:StreetName><cbc:CityName>{rng.choice(CITIES)}</cbc:CityName>"
            f"<cbc:PostalZone>{rng.randrange(1000, 99999)}</cbc:PostalZone><cac:Country>"
            f"<cbc:IdentificationCode>{rng.choice(['DK', 'DE', 'IE', 'FR', 'NL'])}"
            f"</cbc:IdentificationCode></cac:Country></cac:PostalAddress>"
            f"<cac:PartyTaxScheme><cbc:CompanyID>EU{rng.randrange(10**8, 10**9)}</cbc:CompanyID>"
            f"<cac:TaxScheme><cbc:ID>VAT</cbc:ID></cac:TaxScheme></cac:PartyTaxScheme>"
            f"{contact}</cac:Party></cac:{role}>")


def invoice(number, rng):
    issued = date(2026, 1, 1) + timedelta(days=rng.randrange(330))
    lines, total = [], 0
    for line in range(1, rng.randrange(1, 25) + 1):
        quantity = rng.randrange(1, 40)
        price = rng.randrange(50, 20000) / 100
        amount = round(quantity * price, 2)
        total += amount
        note = f"<cbc:Note>{escape(rng.choice(GOODS))} for site {line}</cbc:Note>" \
            if rng.random() < 0.3 else ""
        allowance = (f"<cac:AllowanceCharge><cbc:ChargeIndicator>false</cbc:ChargeIndicator>"
                     f"<cbc:Amount currencyID=\"EUR\">{amount * 0.05:.2f}</cbc:Amount>"
                     f"</cac:AllowanceCharge>") if rng.random() < 0.15 else ""
        lines.append(
            f"<cac:InvoiceLine><cbc:ID>{line}</cbc:ID>{note}"
            f"<cbc:InvoicedQuantity unitCode=\"C62\">{quantity}</cbc:InvoicedQuantity>"
            f"<cbc:LineExtensionAmount currencyID=\"EUR\">{amount:.2f}</cbc:LineExtensionAmount>"
            f"{allowance}<cac:Item><cbc:Name>{escape(rng.choice(GOODS))}</cbc:Name>"
            f"<cac:SellersItemIdentification><cbc:ID>SKU-{rng.randrange(10**5)}</cbc:ID>"
            f"</cac:SellersItemIdentification><cac:ClassifiedTaxCategory><cbc:ID>S</cbc:ID>"
            f"<cbc:Percent>21</cbc:Percent><cac:TaxScheme><cbc:ID>VAT</cbc:ID></cac:TaxScheme>"
            f"</cac:ClassifiedTaxCategory></cac:Item><cac:Price>"
            f"<cbc:PriceAmount currencyID=\"EUR\">{price:.2f}</cbc:PriceAmount></cac:Price>"
            f"</cac:InvoiceLine>")
    tax = round(total * 0.21, 2)
    note = f"<cbc:Note>Order {rng.randrange(10**6)}</cbc:Note>" if rng.random() < 0.5 else ""
    payee = party("PayeeParty", rng, False).replace("cac:PayeeParty><cac:Party>", "cac:PayeeParty>") \
        .replace("</cac:Party></cac:PayeeParty>", "</cac:PayeeParty>") if rng.random() < 0.2 else ""
    return (f"<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n<Invoice {UBL}>"
            f"<cbc:CustomizationID>urn:example:brindlequay:profile</cbc:CustomizationID>"
            f"<cbc:ID>INV-2026-{number:05d}</cbc:ID><cbc:IssueDate>{issued}</cbc:IssueDate>"
            f"<cbc:DueDate>{issued + timedelta(days=30)}</cbc:DueDate>"
            f"<cbc:InvoiceTypeCode>380</cbc:InvoiceTypeCode>{note}"
            f"<cbc:DocumentCurrencyCode>EUR</cbc:DocumentCurrencyCode>"
            f"{party('AccountingSupplierParty', rng, True)}"
            f"{party('AccountingCustomerParty', rng, rng.random() < 0.5)}{payee}"
            f"<cac:PaymentMeans><cbc:PaymentMeansCode>58</cbc:PaymentMeansCode>"
            f"<cac:PayeeFinancialAccount><cbc:ID>NL{rng.randrange(10**15, 10**16)}</cbc:ID>"
            f"</cac:PayeeFinancialAccount></cac:PaymentMeans>"
            f"<cac:TaxTotal><cbc:TaxAmount currencyID=\"EUR\">{tax:.2f}</cbc:TaxAmount>"
            f"<cac:TaxSubtotal><cbc:TaxableAmount currencyID=\"EUR\">{total:.2f}</cbc:TaxableAmount>"
            f"<cbc:TaxAmount currencyID=\"EUR\">{tax:.2f}</cbc:TaxAmount><cac:TaxCategory>"
            f"<cbc:ID>S</cbc:ID><cbc:Percent>21</cbc:Percent><cac:TaxScheme><cbc:ID>VAT</cbc:ID>"
            f"</cac:TaxScheme></cac:TaxCategory></cac:TaxSubtotal></cac:TaxTotal>"
            f"<cac:LegalMonetaryTotal><cbc:LineExtensionAmount currencyID=\"EUR\">{total:.2f}"
            f"</cbc:LineExtensionAmount><cbc:PayableAmount currencyID=\"EUR\">{total + tax:.2f}"
            f"</cbc:PayableAmount></cac:LegalMonetaryTotal>{''.join(lines)}</Invoice>\n")


def statement(number, rng):
    day = date(2026, 1, 1) + timedelta(days=number % 330)
    iban = f"DE{rng.randrange(10**19, 10**20)}"
    opening = rng.randrange(-50000, 500000) / 100
    entries, balance = [], opening
    for entry in range(1, rng.randrange(1, 60) + 1):
        amount = rng.randrange(100, 900000) / 100
        credit = rng.random() < 0.45
        balance += amount if credit else -amount
        counterpart = "Dbtr" if credit else "Cdtr"
        remittance = f"<RmtInf><Ustrd>Invoice INV-2026-{rng.randrange(10**5):05d}</Ustrd></RmtInf>" \
            if rng.random() < 0.7 else ""
        reference = f"<EndToEndId>E2E{rng.randrange(10**9)}</EndToEndId>" \
            if rng.random() < 0.6 else "<EndToEndId>NOTPROVIDED</EndToEndId>"
        entries.append(
            f"<Ntry><NtryRef>{entry}</NtryRef><Amt Ccy=\"EUR\">{amount:.2f}</Amt>"
            f"<CdtDbtInd>{'CRDT' if credit else 'DBIT'}</CdtDbtInd><Sts>BOOK</Sts>"
            f"<BookgDt><Dt>{day}</Dt></BookgDt><ValDt><Dt>{day}</Dt></ValDt>"
            f"<BkTxCd><Domn><Cd>PMNT</Cd><Fmly><Cd>{'RCDT' if credit else 'ICDT'}</Cd>"
            f"<SubFmlyCd>ESCT</SubFmlyCd></Fmly></Domn></BkTxCd>"
            f"<NtryDtls><TxDtls><Refs>{reference}</Refs>"
            f"<AmtDtls><TxAmt><Amt Ccy=\"EUR\">{amount:.2f}</Amt></TxAmt></AmtDtls>"
            f"<RltdPties><{counterpart}><Nm>{escape(rng.choice(NAMES))}</Nm></{counterpart}>"
            f"<{counterpart}Acct><Id><IBAN>FR{rng.randrange(10**24, 10**25)}</IBAN></Id>"
            f"</{counterpart}Acct></RltdPties>{remittance}</TxDtls></NtryDtls></Ntry>")

    def bal(code, amount):
        return (f"<Bal><Tp><CdOrPrtry><Cd>{code}</Cd></CdOrPrtry></Tp>"
                f"<Amt Ccy=\"EUR\">{abs(amount):.2f}</Amt>"
                f"<CdtDbtInd>{'CRDT' if amount >= 0 else 'DBIT'}</CdtDbtInd>"
                f"<Dt><Dt>{day}</Dt></Dt></Bal>")

    return (f"<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n<Document {CAMT}><BkToCstmrStmt>"
            f"<GrpHdr><MsgId>STMT{number:06d}</MsgId><CreDtTm>{day}T06:00:00</CreDtTm></GrpHdr>"
            f"<Stmt><Id>{number}</Id><ElctrncSeqNb>{number}</ElctrncSeqNb>"
            f"<CreDtTm>{day}T06:00:00</CreDtTm><Acct><Id><IBAN>{iban}</IBAN></Id><Ccy>EUR</Ccy>"
            f"<Ownr><Nm>{escape(rng.choice(NAMES))}</Nm></Ownr><Svcr><FinInstnId><BIC>"
            f"BANKDEFFXXX</BIC></FinInstnId></Svcr></Acct>"
            f"{bal('OPBD', opening)}{bal('CLBD', balance)}"
            f"<TxsSummry><TtlNtries><NbOfNtries>{len(entries)}</NbOfNtries></TtlNtries>"
            f"</TxsSummry>{''.join(entries)}</Stmt></BkToCstmrStmt></Document>\n")


def main():
    parser = argparse.ArgumentParser(description=__doc__.splitlines()[0])
    parser.add_argument("outdir")
    parser.add_argument("--invoices", type=int, default=300)
    parser.add_argument("--statements", type=int, default=100)
    parser.add_argument("--seed", type=int, default=13)
    options = parser.parse_args()
    rng = random.Random(options.seed)
    for folder, count, make in (("invoices", options.invoices, invoice),
                                ("statements", options.statements, statement)):
        os.makedirs(os.path.join(options.outdir, folder), exist_ok=True)
        for number in range(1, count + 1):
            path = os.path.join(options.outdir, folder, f"{folder[:-1]}-{number:05d}.xml")
            with open(path, "w", encoding="utf-8") as out:
                out.write(make(number, rng))
    print(f"{options.invoices} invoices and {options.statements} statements in {options.outdir}")


if __name__ == "__main__":
    main()
