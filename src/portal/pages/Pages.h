#pragma once

struct Exchange;

// The website's pages. Each handler reads what it needs through core's stores, for the
// signed-in customer only (the routing in Portal sees to it that a handler past sign-in
// always has a live session and, for a POST, a good form token).
namespace Pages {

void signInForm(Exchange &x);
void signIn(Exchange &x);
void signOut(Exchange &x);

void account(Exchange &x);
void payments(Exchange &x);
void passwordForm(Exchange &x);
void changePassword(Exchange &x);

void tickets(Exchange &x);
void ticket(Exchange &x, int id);
void ticketsCsv(Exchange &x);

// The months with a statement, and one month's statement as the PDF the station prints.
void statements(Exchange &x);
void statementPdf(Exchange &x, int year, int month);

} // namespace Pages
